#pragma once
// The plug-in's DLL as Winamp loads it: by its full path, on the host's UI
// thread, found by its one export; and unloaded there again.

#include <windows.h>

#include <string>
#include <vector>

#include "plugin/sdk/WinampPluginRecords.h"

class THostMainWindow;

class TPluginDll {
public:
    explicit TPluginDll(THostMainWindow& Ui) : Ui(Ui) { }
    ~TPluginDll();  // unloads what is still loaded
    TPluginDll(const TPluginDll&) = delete;
    TPluginDll& operator=(const TPluginDll&) = delete;

    // LoadLibrary and GetProcAddress("winampGetInModule2"); an empty text on
    // success, else what failed.
    std::string Load(const std::string& Path);
    // Asks the export for the record, as the host does once it has loaded the DLL.
    In_Module* GetModule();
    void Unload();
    // The test freed the library itself: nothing is left to unload.
    void Forget()
    {
        Library = nullptr;
        Get = nullptr;
    }

    bool Loaded() const { return Library != nullptr; }
    HMODULE Handle() const { return Library; }
    WinampGetInModule2Function Export() const { return Get; }
    // Another export found by its name, as Winamp 5 looks up its optional ones; null when none.
    void* Symbol(const char* Name) const;
    // The names in the DLL's export directory and how many functions it exports.
    std::vector<std::string> ExportNames() const;
    int ExportedFunctions() const;
    // Whether an address lies inside the DLL's image.
    bool Holds(const void* Address) const;

private:
    THostMainWindow& Ui;
    HMODULE Library = nullptr;
    WinampGetInModule2Function Get = nullptr;
};
