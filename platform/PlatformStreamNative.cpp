// Files read through stdio.

#include "platform/PlatformStream.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/PlatformWideText.h"

TFileStream::TFileStream(const std::string& Path)
{
    File = std::fopen(Path.c_str(), "rb");
    if (!File) {
        throw EFileOpenError(Path);
    }
    struct stat info { };
    if (fstat(fileno(File), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(File);
        throw EFileOpenError(Path);
    }
    FileSize = info.st_size;
    LastWrite = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// File names here are bytes; a wide name means its UTF-8 spelling.
TFileStream::TFileStream(const std::wstring& Path) : TFileStream(PlatformWideToUtf8(Path))
{
}

TFileStream::~TFileStream()
{
    std::fclose(File);
}

int32_t TFileStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0) {
        return 0;
    }
    size_t got = std::fread(Buffer, 1, static_cast<size_t>(Count), File);
    Pos += static_cast<int64_t>(got);
    return static_cast<int32_t>(got);
}

int64_t TFileStream::SetPosition(int64_t Position)
{
    Position = std::clamp<int64_t>(Position, 0, FileSize);
    if (fseeko(File, static_cast<off_t>(Position), SEEK_SET) == 0) {
        Pos = Position;
    }
    return Pos;
}
