#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/PlatformFile.h"

bool PlatformIsFile(const std::string& Path)
{
    struct stat status { };
    return !Path.empty() && stat(Path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

std::FILE* PlatformCreateNewFile(const std::string& Path)
{
    // Not handed on to the programs this one starts, either.
    const int fd = open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        close(fd);
        std::remove(Path.c_str());
        errno = error;
    }
    return file;
}

void PlatformSetBinaryMode(std::FILE*)
{
}
