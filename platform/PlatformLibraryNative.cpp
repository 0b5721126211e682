#include <dlfcn.h>

#include "platform/PlatformLibrary.h"
#include "platform/PlatformPath.h"

TPlatformLibrary::~TPlatformLibrary()
{
    Unload();
}

bool TPlatformLibrary::Load(const std::string& Path, std::string& Error)
{
    Unload();
    // dlopen searches the library path for a name without a slash.
    const std::string file = PlatformFolderPart(Path).empty() ? "./" + Path : Path;
    Loaded = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!Loaded) {
        const char* reason = dlerror();
        Error = reason ? reason : "unknown error";
        return false;
    }
    return true;
}

void* TPlatformLibrary::Symbol(const char* Name) const
{
    return Loaded ? dlsym(Loaded, Name) : nullptr;
}

void TPlatformLibrary::Unload()
{
    if (Loaded) {
        dlclose(Loaded);
    }
    Loaded = nullptr;
}
