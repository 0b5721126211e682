#pragma once
// Byte streams the loader reads from: a file opened for reading (others may
// read it meanwhile), or a block of memory (tests, embedded data).
// PlatformStreamWin32.cpp and PlatformStreamNative.cpp open and read files.

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

// Raised when a file cannot be opened; the message names the file.
class EFileOpenError : public std::runtime_error {
public:
    explicit EFileOpenError(const std::string& path) : std::runtime_error("Cannot open file " + path) { }
};

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to Count bytes; returns how many were read (0 at the end or on error).
    virtual int32_t Read(void* Buffer, int32_t Count) = 0;
    // Moves to an absolute position (clamped to 0 .. Size); returns the new position.
    virtual int64_t SetPosition(int64_t Position) = 0;
    virtual int64_t Position() const = 0;
    virtual int64_t Size() const = 0;

    // Moves relative to the current position; returns the new position.
    int64_t Skip(int64_t Delta) { return SetPosition(Position() + Delta); }
};

// A read-only file; others may read it at the same time (FILE_SHARE_READ on Windows).
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& Path);  // throws EFileOpenError
    // The file by its name in wide characters, which also reaches a file the
    // system's code page cannot spell (the error names it in UTF-8).
    explicit TFileStream(const std::wstring& Path);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int32_t Read(void* Buffer, int32_t Count) override;
    int64_t SetPosition(int64_t Position) override;
    int64_t Position() const override { return Pos; }
    int64_t Size() const override { return FileSize; }
    // When the file was last written, as the system keeps it (its own units):
    // with the size, tells a file that changed since it was last read.
    int64_t WriteTime() const { return LastWrite; }

private:
#ifdef _WIN32
    void* Handle = nullptr;  // Win32 file handle
#else
    std::FILE* File = nullptr;  // stdio file
#endif
    int64_t Pos = 0;        // current position in bytes
    int64_t FileSize = 0;   // size at open time
    int64_t LastWrite = 0;  // last write time at open time
};

// A stream over a copy of a byte block.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> Bytes) : Data(std::move(Bytes)) { }

    int32_t Read(void* Buffer, int32_t Count) override;
    int64_t SetPosition(int64_t Position) override;
    int64_t Position() const override { return Pos; }
    int64_t Size() const override { return static_cast<int64_t>(Data.size()); }

private:
    std::vector<uint8_t> Data;  // the stream's bytes
    int64_t Pos = 0;            // current position in bytes
};
