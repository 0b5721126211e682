#include "platform/PlatformStream.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

TFileStream::TFileStream(const std::string& Path)
{
    // Others may read the file meanwhile (an indexer, a virus scanner, the
    // host's playlist asking for its title), and it may be open for reading
    // elsewhere; a program writing it, or holding it without sharing, keeps
    // it from us.
    HANDLE h = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw EFileOpenError(Path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        throw EFileOpenError(Path);
    }
    Handle = h;
    FileSize = size.QuadPart;
}

TFileStream::~TFileStream()
{
    CloseHandle(static_cast<HANDLE>(Handle));
}

int32_t TFileStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0)
        return 0;
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(Handle), Buffer, static_cast<DWORD>(Count), &got, nullptr))
        return 0;
    Pos += got;
    return static_cast<int32_t>(got);
}

int64_t TFileStream::SetPosition(int64_t Position)
{
    Position = std::clamp<int64_t>(Position, 0, FileSize);
    LARGE_INTEGER target{};
    target.QuadPart = Position;
    if (SetFilePointerEx(static_cast<HANDLE>(Handle), target, nullptr, FILE_BEGIN))
        Pos = Position;
    return Pos;
}

#else
#include <sys/stat.h>

TFileStream::TFileStream(const std::string& Path)
{
    File = std::fopen(Path.c_str(), "rb");
    if (!File)
        throw EFileOpenError(Path);
    struct stat info { };
    if (fstat(fileno(File), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(File);
        throw EFileOpenError(Path);
    }
    FileSize = info.st_size;
}

TFileStream::~TFileStream()
{
    std::fclose(File);
}

int32_t TFileStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0)
        return 0;
    size_t got = std::fread(Buffer, 1, static_cast<size_t>(Count), File);
    Pos += static_cast<int64_t>(got);
    return static_cast<int32_t>(got);
}

int64_t TFileStream::SetPosition(int64_t Position)
{
    Position = std::clamp<int64_t>(Position, 0, FileSize);
    if (fseeko(File, static_cast<off_t>(Position), SEEK_SET) == 0)
        Pos = Position;
    return Pos;
}
#endif

int32_t TMemoryStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0 || Pos >= Size())
        return 0;
    int64_t n = std::min<int64_t>(Count, Size() - Pos);
    std::memcpy(Buffer, Data.data() + Pos, static_cast<size_t>(n));
    Pos += n;
    return static_cast<int32_t>(n);
}

int64_t TMemoryStream::SetPosition(int64_t Position)
{
    Pos = std::clamp<int64_t>(Position, 0, Size());
    return Pos;
}
