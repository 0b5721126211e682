#pragma once
// A file held open by this process with no sharing allowed, as another
// program writing it would hold it: nobody else can open it meanwhile.

#include <windows.h>

#include <string>

class TExclusiveFile {
public:
    explicit TExclusiveFile(const std::string& Path)
        : Handle(CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~TExclusiveFile()
    {
        if (Held())
            CloseHandle(Handle);
    }
    TExclusiveFile(const TExclusiveFile&) = delete;
    TExclusiveFile& operator=(const TExclusiveFile&) = delete;

    bool Held() const { return Handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE Handle;
};
