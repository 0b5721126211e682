#pragma once
// A file written under a temporary name beside its target and renamed into
// place once complete: a render that fails, or is interrupted, leaves no
// half-written file, and whatever was at the target stays until the new
// file is whole.

#include <cstdio>
#include <string>

class TOutputFile {
public:
    TOutputFile() = default;
    ~TOutputFile();  // removes the temporary file unless it was committed
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Makes a new temporary file in Target's folder; false, with the reason
    // in Error, when it cannot be made.
    bool Create(const std::string& Target, std::string& Error);
    // Where to write; null until created.
    std::FILE* Stream() const { return File; }
    // Closes the file and renames it to the target, over an existing one only
    // when Replace; false, with the reason in Error, when that fails (the
    // temporary file is then removed).
    bool Commit(bool Replace, std::string& Error);

private:
    void Discard();

    std::string Target;
    std::string Temporary;  // empty when there is none
    std::FILE* File = nullptr;
};
