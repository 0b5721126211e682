#include "host/HostRender.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "host/HostInfo.h"
#include "host/HostText.h"
#include "host/HostWav.h"
#include "player/DmfSong.h"

namespace {

// What the command line asked for.
struct TRenderOptions {
    std::string Input;   // the module file
    std::string Output;  // the output file, "-" for standard output
    bool Raw = false;    // headerless PCM instead of WAV
};

// The default output: the module's file name with ".wav" for its extension,
// in the current directory.
std::string DefaultOutput(const std::string& Input)
{
    const size_t slash = Input.find_last_of("/\\");
    std::string name = slash == std::string::npos ? Input : Input.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name + ".wav";
}

bool ParseOptions(const std::vector<std::string>& Args, TRenderOptions& Options)
{
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        if (arg == "-o" && i + 1 < Args.size())
            Options.Output = Args[++i];
        else if (arg == "--raw")
            Options.Raw = true;
        else if (Options.Input.empty() && (arg.empty() || arg[0] != '-'))
            Options.Input = arg;
        else
            return false;
    }
    if (Options.Input.empty())
        return false;
    if (Options.Output.empty())
        Options.Output = DefaultOutput(Options.Input);
    return true;
}

}  // namespace

int RunRenderCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err)
{
    TRenderOptions options;
    if (!ParseOptions(Args, options)) {
        std::fprintf(Err, "usage: morvel render %s\n", RenderCommand.Usage);
        return 2;
    }
    // The report goes to standard error when the PCM goes to standard output.
    std::FILE* report = options.Output == "-" ? Err : Out;

    TDmf song;
    try {
        song.LoadFromFile(options.Input);
    } catch (const std::exception& error) {
        std::fprintf(Err, "morvel: %s\n", error.what());
        return 1;
    }
    if (!song.Loaded) {
        std::fprintf(Err, "morvel: %s is not a complete dmf module\n", options.Input.c_str());
        return 1;
    }

    // The song's measured length in whole output frames.
    const int32_t lengthMs = std::max(song.LengthMs, 0);
    uint64_t totalBytes = static_cast<uint64_t>(lengthMs) * OutputRate / 1000 * 4;
    if (!options.Raw && totalBytes > WavMaxDataBytes) {
        std::fprintf(Err, "morvel: the song is too long for a WAV file; only its first 4 GB are written\n");
        totalBytes = WavMaxDataBytes;
    }

    TPcmWriter writer(options.Output, options.Raw);
    if (!writer.IsOpen()) {
        std::fprintf(Err, "morvel: cannot write %s\n", options.Output.c_str());
        return 1;
    }
    bool written = writer.Begin(static_cast<uint32_t>(options.Raw ? 0 : totalBytes));
    song.Start();
    std::vector<uint8_t> block(static_cast<size_t>(MaxBlockBytes));
    for (uint64_t done = 0; written && done < totalBytes;) {
        const int32_t count = static_cast<int32_t>(std::min<uint64_t>(totalBytes - done, MaxBlockBytes));
        song.RenderBlock(block.data(), count);
        written = writer.Write(block.data(), static_cast<size_t>(count));
        done += static_cast<uint64_t>(count);
    }
    if (!writer.Finish() || !written) {
        std::fprintf(Err, "morvel: writing %s failed\n", options.Output.c_str());
        return 1;
    }

    std::fprintf(report, "Title:  %s\n", Latin1ToUtf8(song.SongName + " - " + song.Composer).c_str());
    std::fprintf(report, "Length: %s (%d ms)\n", FormatLength(lengthMs).c_str(), lengthMs);
    std::fprintf(report, "Output: %s (%s, 44100 Hz, 16-bit, stereo, %llu bytes of PCM)\n",
                 options.Output == "-" ? "standard output" : options.Output.c_str(), options.Raw ? "raw PCM" : "WAV",
                 static_cast<unsigned long long>(totalBytes));
    return 0;
}

const THostCommand RenderCommand = {"render", "FILE [-o OUT.wav] [--raw]   (OUT - is standard output)",
                                    "plays a song from its start for its length into a 44100 Hz 16-bit stereo WAV",
                                    &RunRenderCommand};
