#pragma once
// Makes the process run on one code path (the mixer's next tick, the next
// decoder made) for the life of the object, and puts back the path that was
// chosen before.

#include "platform/PlatformCodePath.h"

class TScopedCodePath {
public:
    explicit TScopedCodePath(TCodePath Path) : Before(CodePath()) { Taken = SetCodePath(Path); }
    ~TScopedCodePath() { SetCodePath(Before); }
    TScopedCodePath(const TScopedCodePath&) = delete;
    TScopedCodePath& operator=(const TScopedCodePath&) = delete;

    // The path taken: the one asked for when it is available.
    TCodePath Path() const { return Taken; }

private:
    TCodePath Before;
    TCodePath Taken;
};
