#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>

#include "platform/PlatformFile.h"

bool PlatformIsFile(const std::string& Path)
{
    if (Path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::FILE* PlatformCreateNewFile(const std::string& Path)
{
    const int fd = _open(Path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        _close(fd);
        std::remove(Path.c_str());
        errno = error;
    }
    return file;
}

void PlatformSetBinaryMode(std::FILE* Stream)
{
    _setmode(_fileno(Stream), _O_BINARY);
}
