#include "host/HostRender.h"

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/HostFileCheck.h"
#include "host/HostInfo.h"
#include "host/HostOutputFile.h"
#include "host/HostProgress.h"
#include "host/HostText.h"
#include "host/HostWav.h"
#include "player/DmfOutputFormat.h"
#include "player/DmfPlayback.h"
#include "player/DmfSong.h"

namespace {

// What the command line asked for.
struct TRenderOptions {
    std::vector<std::string> Inputs;  // the module files
    std::string Output;               // file or folder; "-" for standard output; empty: the defaults
    bool Raw = false;                 // headerless PCM instead of WAV
    bool Force = false;               // an existing output file may be replaced
};

constexpr THostOption RenderOptions[] = {
    {"--output", 'o', "OUT",
     "where the PCM goes: a file (- standard output) for one FILE, a folder (made when missing) for several"},
    {"--raw", 0, nullptr, "headerless PCM instead of WAV, named .pcm"},
    {"--force", 'f', nullptr, "write over existing output files (never over an input)"},
};

// Set by SIGINT or SIGTERM while songs are rendered: the file at work is dropped.
volatile std::sig_atomic_t StopSignal = 0;

void OnStopSignal(int Signal)
{
    StopSignal = Signal;
}

// Catches SIGINT and SIGTERM for its lifetime.
class TStopSignals {
public:
    TStopSignals()
    {
        StopSignal = 0;
        OldInterrupt = std::signal(SIGINT, &OnStopSignal);
        OldTerminate = std::signal(SIGTERM, &OnStopSignal);
    }
    ~TStopSignals()
    {
        std::signal(SIGINT, OldInterrupt);
        std::signal(SIGTERM, OldTerminate);
    }
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

private:
    void (*OldInterrupt)(int);
    void (*OldTerminate)(int);
};

// One input and where its PCM goes.
struct TRenderJob {
    std::string Input;
    std::string Output;
};

// The default output name: the module's file name with ".wav" (".pcm" for raw PCM) for its extension.
std::string DefaultOutput(const std::string& Input, bool Raw)
{
    const size_t slash = Input.find_last_of("/\\");
    std::string name = slash == std::string::npos ? Input : Input.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name + (Raw ? ".pcm" : ".wav");
}

bool EndsInSeparator(const std::string& Path)
{
    return !Path.empty() && (Path.back() == '/' || Path.back() == '\\');
}

std::string InFolder(const std::string& Folder, const std::string& Name)
{
    if (Folder.empty()) {
        return Name;
    }
    return EndsInSeparator(Folder) ? Folder + Name : Folder + "/" + Name;
}

// Where each input goes; false, after saying why, when the outputs cannot be
// laid out (Status: the exit code).
bool PlanJobs(const TRenderOptions& Options, std::vector<TRenderJob>& Jobs, std::FILE* Err, int& Status)
{
    namespace fs = std::filesystem;
    Status = 2;
    const std::string& output = Options.Output;
    if (output == "-") {
        if (Options.Inputs.size() > 1) {
            std::fprintf(Err, "morvel: several files cannot all go to standard output; -o names a folder for them\n");
            return false;
        }
        Jobs.push_back({Options.Inputs[0], output});
        return true;
    }
    // A folder: given as one (trailing slash), one that exists, or a new name for several files.
    std::error_code error;
    const fs::file_status status = fs::status(output, error);
    const bool folder = output.empty() || EndsInSeparator(output) || fs::is_directory(status) ||
                        (Options.Inputs.size() > 1 && !fs::exists(status));
    if (!folder) {
        if (Options.Inputs.size() > 1) {
            std::fprintf(Err, "morvel: %s: not a folder; several files need a folder for their outputs\n",
                         output.c_str());
            Status = 1;
            return false;
        }
        Jobs.push_back({Options.Inputs[0], output});
        return true;
    }
    for (const std::string& input : Options.Inputs) {
        const std::string target = InFolder(output, DefaultOutput(input, Options.Raw));
        for (const TRenderJob& job : Jobs) {
            if (job.Output == target) {
                std::fprintf(Err, "morvel: %s and %s would both be written to %s\n", job.Input.c_str(), input.c_str(),
                             target.c_str());
                return false;
            }
        }
        Jobs.push_back({input, target});
    }
    if (!output.empty() && !fs::is_directory(status)) {
        fs::create_directories(output, error);
        if (!fs::is_directory(output)) {
            std::fprintf(Err, "morvel: cannot make the folder %s%s%s\n", output.c_str(), error ? ": " : "",
                         error ? error.message().c_str() : "");
            Status = 1;
            return false;
        }
    }
    return true;
}

// Why the job's output file must not be written; empty when it may. An input
// is never written over (compared as files, so also through links); another
// existing file only with --force.
std::string OutputProblem(const TRenderJob& Job, const TRenderOptions& Options)
{
    namespace fs = std::filesystem;
    if (Job.Output == "-") {
        return {};
    }
    std::error_code error;
    if (!fs::exists(fs::symlink_status(Job.Output, error))) {
        return {};
    }
    for (const std::string& input : Options.Inputs) {
        if (fs::equivalent(Job.Output, input, error)) {
            return Job.Output + " is the same file as the input " + input;
        }
    }
    if (fs::is_directory(fs::status(Job.Output, error))) {
        return Job.Output + " is a folder";
    }
    if (!Options.Force) {
        return Job.Output + " exists (--force writes over it)";
    }
    return {};
}

// Renders one song and reports it after Separator; false, after saying why, when it failed.
bool RenderSong(const TRenderJob& Job, const TRenderOptions& Options, int Index, TProgressBar& Progress,
                const char* Separator, std::FILE* Report, std::FILE* Err)
{
    const bool raw = Options.Raw;
    const auto fail = [&](const std::string& Message) {
        Progress.MakeWayFor(Err);
        std::fprintf(Err, "morvel: %s\n", Message.c_str());
        return false;
    };
    const std::string outputProblem = OutputProblem(Job, Options);
    if (!outputProblem.empty()) {
        return fail(Job.Input + " not rendered: " + outputProblem);
    }
    // The song object is large: keep it off the stack.
    auto song = std::make_unique<TDmf>();
    const std::string problem = LoadSongFile(*song, Job.Input, false);
    if (!problem.empty()) {
        Progress.MakeWayFor(Err);
        ReportRefusedFile(Err, Job.Input, problem);
        return false;
    }

    const int32_t lengthMs = std::max(song->LengthMs, 0);
    // The song's length is what the playback pass hands out, to the byte.
    uint64_t totalBytes = static_cast<uint64_t>(std::max<int64_t>(song->LengthBytes, 0));
    if (!raw && totalBytes > WavMaxDataBytes) {
        Progress.MakeWayFor(Err);
        std::fprintf(Err, "morvel: %s is too long for a WAV file; only its first 4 GB are written\n",
                     Job.Input.c_str());
        totalBytes = WavMaxDataBytes;
    }

    TOutputFile file;
    std::string error;
    if (Job.Output != "-" && !file.Create(Job.Output, error)) {
        return fail("cannot write " + Job.Output + ": " + error);
    }
    TPcmWriter writer(Job.Output == "-" ? stdout : file.Stream(), raw);
    bool written = writer.Begin(static_cast<uint32_t>(raw ? 0 : totalBytes));
    // The total is known ahead (the WAV header holds it), so the PCM goes out
    // in pieces of up to the largest step rather than step by step: the song
    // hands out the same stream in any portions.
    TDmfPlayback playback(*song);
    playback.Start();
    std::vector<uint8_t> block(static_cast<size_t>(MaxTickBytes));
    const size_t slash = Job.Input.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? Job.Input : Job.Input.substr(slash + 1);
    for (uint64_t done = 0; written && done < totalBytes && !StopSignal;) {
        Progress.Update(Index, name, static_cast<double>(done) / static_cast<double>(totalBytes));
        const int32_t count = static_cast<int32_t>(std::min<uint64_t>(totalBytes - done, MaxTickBytes));
        playback.Render(block.data(), count);
        written = writer.Write(block.data(), static_cast<size_t>(count));
        done += static_cast<uint64_t>(count);
    }
    if (StopSignal) {
        writer.Finish();
        return fail(Job.Output == "-" ? "stopped" : "stopped; " + Job.Output + " not written");
    }
    if (!writer.Finish() || !written) {
        return fail("writing " + Job.Output + " failed");
    }
    if (Job.Output != "-" && !file.Commit(Options.Force, error)) {
        return fail("cannot write " + Job.Output + ": " + error);
    }

    Progress.MakeWayFor(Report);
    std::fprintf(Report, "%sTitle:  %s\n", Separator, Latin1ToUtf8(song->SongName + " - " + song->Composer).c_str());
    std::fprintf(Report, "Length: %s (%d ms)\n", FormatLength(lengthMs).c_str(), lengthMs);
    static_assert(OutputChannels == 2, "the report calls the output stereo");
    std::fprintf(Report, "Output: %s (%s, %d Hz, %d-bit, stereo, %llu bytes of PCM)\n",
                 Job.Output == "-" ? "standard output" : Job.Output.c_str(), raw ? "raw PCM" : "WAV",
                 static_cast<int>(OutputRate), static_cast<int>(OutputBits),
                 static_cast<unsigned long long>(totalBytes));
    std::fflush(Report);
    return true;
}

}  // namespace

int RunRenderCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err)
{
    THostArgs args;
    int status = 0;
    if (!ReadCommandArgs(RenderCommand, Args, args, Out, Err, status)) {
        return status;
    }
    TRenderOptions options;
    options.Inputs = args.Operands;
    options.Output = args.Value("--output");
    options.Raw = args.Has("--raw");
    options.Force = args.Has("--force");
    std::vector<TRenderJob> jobs;
    if (!PlanJobs(options, jobs, Err, status)) {
        return status;
    }

    // The report goes to standard error when the PCM goes to standard output.
    std::FILE* report = jobs.front().Output == "-" ? Err : Out;
    TProgressBar progress(Err, static_cast<int>(jobs.size()));
    TStopSignals signals;
    status = 0;
    bool reported = false;
    for (size_t i = 0; i < jobs.size() && !StopSignal; ++i) {
        // A blank line between the reports of two files.
        if (RenderSong(jobs[i], options, static_cast<int>(i), progress, reported ? "\n" : "", report, Err)) {
            reported = true;
        } else {
            status = 1;
        }
    }
    return StopSignal ? 128 + StopSignal : status;
}

const THostCommand RenderCommand = {
    .Name = "render",
    .Operands = "FILE...",
    .Summary = "songs as " DMF_OUTPUT_FORMAT_WORDS " WAV or raw PCM files",
    .About = "Renders each song from its start for its length as " DMF_OUTPUT_FORMAT_WORDS " PCM, in a WAV file or "
             "headerless (--raw). Each output is named after its input (.wav, or .pcm with --raw), in the current "
             "folder or in the folder -o names. Existing files are not written over without --force, an input "
             "never; a file is written under a temporary name and renamed when complete. A file that fails is "
             "reported and the others are still rendered.",
    .Options = RenderOptions,
    .MoreHelp = nullptr,
    .Run = &RunRenderCommand,
};
