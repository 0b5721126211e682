#include "platform/PlatformCodePath.h"

#include <atomic>
#include <cstring>

#include "platform/PlatformEnvironment.h"
#include "platform/PlatformProcessor.h"

namespace {

constexpr int NotChosen = -1;
std::atomic<int> Chosen{NotChosen};

}  // namespace

const char* CodePathName(TCodePath Path)
{
    switch (Path) {
    case TCodePath::Plain:
        return "plain";
    case TCodePath::Sse2:
        return "sse2";
    case TCodePath::Avx2:
        return "avx2";
    }
    return "";
}

bool CodePathNamed(const char* Name, TCodePath& Path)
{
    for (const TCodePath path : CodePaths) {
        if (std::strcmp(Name, CodePathName(path)) == 0) {
            Path = path;
            return true;
        }
    }
    return false;
}

bool CodePathAvailable(TCodePath Path)
{
    switch (Path) {
    case TCodePath::Plain:
        return true;
    case TCodePath::Sse2:
#ifdef MORVEL_CODE_SSE2
        return true;
#else
        return false;
#endif
    case TCodePath::Avx2:
#ifdef MORVEL_CODE_AVX2
        return ProcessorHasAvx2() && ProcessorHasAvx();
#else
        return false;
#endif
    }
    return false;
}

TCodePath WidestCodePathUpTo(TCodePath Path)
{
    while (Path != TCodePath::Plain && !CodePathAvailable(Path)) {
        Path = static_cast<TCodePath>(static_cast<int>(Path) - 1);
    }
    return Path;
}

TCodePath CodePathFor(const char* Wanted)
{
    TCodePath path = TCodePath::Avx2;
    if (Wanted) {
        CodePathNamed(Wanted, path);
    }
    return WidestCodePathUpTo(path);
}

TCodePath CodePath()
{
    int path = Chosen.load(std::memory_order_relaxed);
    if (path == NotChosen) {
        // Two threads that get here at once choose the same.
        path = static_cast<int>(CodePathFor(PlatformEnvironmentValue("MORVEL_CODE_PATH")));
        Chosen.store(path, std::memory_order_relaxed);
    }
    return static_cast<TCodePath>(path);
}

TCodePath SetCodePath(TCodePath Path)
{
    const TCodePath taken = WidestCodePathUpTo(Path);
    Chosen.store(static_cast<int>(taken), std::memory_order_relaxed);
    return taken;
}
