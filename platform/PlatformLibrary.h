#pragma once
// A shared library loaded by its path, as a program loads a plug-in. Linux
// only (morvel play's): PlatformLibraryNative.cpp is its one body. Where the
// program looks for one, its own path, is PlatformProgramPath
// (PlatformSystem.h).

#include <string>

class TPlatformLibrary {
public:
    TPlatformLibrary() = default;
    ~TPlatformLibrary();  // unloads
    TPlatformLibrary(const TPlatformLibrary&) = delete;
    TPlatformLibrary& operator=(const TPlatformLibrary&) = delete;

    // Loads the library at Path, its symbols resolved at once and kept to
    // itself; a name without a folder is the file in the current folder,
    // never one found on the system's library path. False, with the system's
    // reason in Error, when it cannot be loaded.
    bool Load(const std::string& Path, std::string& Error);
    // The address of the exported symbol Name; null when there is none.
    void* Symbol(const char* Name) const;
    // The loaded library's handle (what a plug-in gets as its instance); null when none.
    void* Handle() const { return Loaded; }
    void Unload();

private:
    void* Loaded = nullptr;
};
