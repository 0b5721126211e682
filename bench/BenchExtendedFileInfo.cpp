// Winamp 5's media library reading a folder: for each file, every field it
// asks for through winampGetExtendedFileInfo, one call per field, two files
// in turn (the example song and a copy of it under another name).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "module/LoadLog.h"
#include "plugin/sdk/WinampExtendedExports.h"

namespace {

const char* const LibraryFields[] = {"type",       "family",           "title", "artist", "album", "composer",
                                     "comment",    "length",           "year",  "genre",  "track", "bitrate",
                                     "samplerate", "formatinformation"};

void BM_ExtendedFileInfoLibraryScan(benchmark::State& State)
{
    SetDebugLogConsole(nullptr);
    const std::string example = MORVEL_SOURCE_DIR "/examples/morvel-demo.dmf";
    const std::string copy = (std::filesystem::temp_directory_path() / "morvel-bench-library.dmf").string();
    std::error_code error;
    std::filesystem::copy_file(example, copy, std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        State.SkipWithError("no copy of the example song");
        return;
    }
    char value[4096];
    int answered = 0;
    for (auto _ : State) {
        for (const std::string& file : {example, copy}) {
            for (const char* field : LibraryFields) {
                answered += winampGetExtendedFileInfo(file.c_str(), field, value, sizeof value);
            }
        }
    }
    State.SetItemsProcessed(State.iterations() * 2);  // files
    std::filesystem::remove(copy, error);
    SetDebugLogConsole(stdout);
    if (answered == 0) {
        State.SkipWithError("no field was answered");
    }
}
BENCHMARK(BM_ExtendedFileInfoLibraryScan)->Unit(benchmark::kMillisecond);

}  // namespace
