#pragma once
// A file held open by this process as another program may hold it: without
// sharing (a program writing it: nobody else can open it meanwhile), or for
// reading with reading shared (an indexer, a virus scanner, another player).

#include <windows.h>

#include <string>

class THeldFile {
public:
    enum TSharing { Exclusive, ReadShared };

    THeldFile(const std::string& Path, TSharing Sharing)
        : Handle(CreateFileA(Path.c_str(), Sharing == Exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                             Sharing == Exclusive ? 0 : FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr))
    {
    }
    ~THeldFile()
    {
        if (Held()) {
            CloseHandle(Handle);
        }
    }
    THeldFile(const THeldFile&) = delete;
    THeldFile& operator=(const THeldFile&) = delete;

    bool Held() const { return Handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE Handle;
};
