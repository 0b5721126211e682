#include <dlfcn.h>
#include <unistd.h>

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

std::string PlatformProgramPath()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}
