// Files read through Win32 handles.

#include "platform/PlatformStream.h"

#include <algorithm>

#include <windows.h>

#include "platform/PlatformWideText.h"

namespace {

// Others may read the file meanwhile (an indexer, a virus scanner, the host's
// playlist asking for its title), and it may be open for reading elsewhere; a
// program writing it, or holding it without sharing, keeps it from us.
constexpr DWORD Sharing = FILE_SHARE_READ;

// The size of the file just opened; closes it and throws when there is none.
int64_t SizeOf(HANDLE File, const std::string& Name)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(File, &size)) {
        CloseHandle(File);
        throw EFileOpenError(Name);
    }
    return size.QuadPart;
}

// The last write time of the file just opened, in 100 ns units (0 when the
// system keeps none).
int64_t WriteTimeOf(HANDLE File)
{
    FILETIME written{};
    if (!GetFileTime(File, nullptr, nullptr, &written)) {
        return 0;
    }
    return static_cast<int64_t>((static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
}

}  // namespace

TFileStream::TFileStream(const std::string& Path)
{
    HANDLE h = CreateFileA(Path.c_str(), GENERIC_READ, Sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw EFileOpenError(Path);
    }
    FileSize = SizeOf(h, Path);
    LastWrite = WriteTimeOf(h);
    Handle = h;
}

TFileStream::TFileStream(const std::wstring& Path)
{
    HANDLE h = CreateFileW(Path.c_str(), GENERIC_READ, Sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw EFileOpenError(PlatformWideToUtf8(Path));
    }
    FileSize = SizeOf(h, PlatformWideToUtf8(Path));
    LastWrite = WriteTimeOf(h);
    Handle = h;
}

TFileStream::~TFileStream()
{
    CloseHandle(static_cast<HANDLE>(Handle));
}

int32_t TFileStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0) {
        return 0;
    }
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(Handle), Buffer, static_cast<DWORD>(Count), &got, nullptr)) {
        return 0;
    }
    Pos += got;
    return static_cast<int32_t>(got);
}

int64_t TFileStream::SetPosition(int64_t Position)
{
    Position = std::clamp<int64_t>(Position, 0, FileSize);
    LARGE_INTEGER target{};
    target.QuadPart = Position;
    if (SetFilePointerEx(static_cast<HANDLE>(Handle), target, nullptr, FILE_BEGIN)) {
        Pos = Position;
    }
    return Pos;
}
