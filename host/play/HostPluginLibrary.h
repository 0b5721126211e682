#pragma once
// An input plug-in library as the host loads it: the In_Module record from
// winampGetInModule2, completed with the host's window, the library handle,
// the output record and quiet visualisation and DSP functions (the host has
// neither, so the PCM passes unchanged).

#include <string>
#include <vector>

#include "platform/PlatformLibrary.h"
#include "plugin/sdk/WinampPluginRecords.h"

// Where morvel play looks for libmorvel_plugin.so, in order: beside the
// running program (a build tree), then where the install step puts it,
// relative to the program's real path (PREFIX/bin/morvel and
// PREFIX/lib/morvel/).
std::vector<std::string> PluginSearchPaths();
// The first of them that exists; empty when none does.
std::string DefaultPluginPath();

class TPluginLibrary {
public:
    // Loads the library and takes its record; false, with the reason in
    // Error, when the library cannot be used.
    bool Load(const std::string& Path, std::string& Error);
    // Fills the host's fields of the record: window, library handle, output
    // and the quiet visualisation and DSP functions.
    void Connect(HWND MainWindow, Out_Module* Output);
    // The record; null until loaded.
    In_Module* Module() const { return Record; }
    HINSTANCE Instance() const { return reinterpret_cast<HINSTANCE>(Library.Handle()); }
    // Unloads the library (also when the object ends).
    void Unload();

private:
    TPlatformLibrary Library;
    In_Module* Record = nullptr;
};
