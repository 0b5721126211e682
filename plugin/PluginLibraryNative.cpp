// The shared library's load and unload hooks: the data module lives as long
// as the library is loaded. Neither hook waits for anything.

#include "plugin/DataModule.h"

namespace {

__attribute__((constructor)) void OnLibraryLoad()
{
    try {
        CreateDataModule1();
    } catch (...) {
        // winampGetInModule2 tries again.
    }
}

__attribute__((destructor)) void OnLibraryUnload()
{
    try {
        DestroyDataModule1();
    } catch (...) {
    }
}

}  // namespace
