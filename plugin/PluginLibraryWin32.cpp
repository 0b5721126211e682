// The DLL's entry: the data module lives from process attach to process
// detach. Nothing here waits for a thread (the loader lock is held).

#include <windows.h>

#include "plugin/DataModule.h"

BOOL WINAPI DllMain(HINSTANCE Instance, DWORD Reason, LPVOID Reserved)
{
    try {
        if (Reason == DLL_PROCESS_ATTACH) {
            DisableThreadLibraryCalls(Instance);
            CreateDataModule1();
        } else if (Reason == DLL_PROCESS_DETACH && Reserved == nullptr) {
            // At process exit (Reserved set) other threads are gone already and
            // the system frees everything; only an unload frees it here.
            DestroyDataModule1();
        }
    } catch (...) {
    }
    return TRUE;
}
