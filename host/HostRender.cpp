#include "host/HostRender.h"

#include <algorithm>
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
#include "platform/PlatformPath.h"
#include "platform/PlatformStopSignals.h"
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

// One input and where its PCM goes.
struct TRenderJob {
    std::string Input;
    std::string Output;
};

// The default output name: the module's file name with ".wav" (".pcm" for raw PCM) for its extension.
std::string DefaultOutput(const std::string& Input, bool Raw)
{
    std::string name = PlatformFileName(Input);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name + (Raw ? ".pcm" : ".wav");
}

// A path that ends in a folder delimiter names a folder.
bool EndsInSeparator(const std::string& Path)
{
    return !Path.empty() && FileNameStart(std::string_view(Path)) == Path.size();
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

// Says why a job failed, the progress bar making way; false.
bool Fail(TProgressBar& Progress, std::FILE* Err, const std::string& Message)
{
    Progress.MakeWayFor(Err);
    std::fprintf(Err, "morvel: %s\n", Message.c_str());
    return false;
}

// A song loaded for its job, and how much of it goes out.
struct TLoadedSong {
    std::unique_ptr<TDmf> Song;  // the song object is large: kept off the stack
    uint64_t Bytes = 0;          // the whole song, or what a WAV file can hold of it
};

// The checks before anything is written: the output may be written, the
// input is a module, and how much of it the output can hold. False, after
// saying why, when the job cannot be done.
bool PrepareJob(const TRenderJob& Job, const TRenderOptions& Options, TProgressBar& Progress, std::FILE* Err,
                TLoadedSong& Loaded)
{
    const std::string outputProblem = OutputProblem(Job, Options);
    if (!outputProblem.empty()) {
        return Fail(Progress, Err, Job.Input + " not rendered: " + outputProblem);
    }
    Loaded.Song = std::make_unique<TDmf>();
    const std::string problem = LoadSongFile(*Loaded.Song, Job.Input, false);
    if (!problem.empty()) {
        Progress.MakeWayFor(Err);
        ReportRefusedFile(Err, Job.Input, problem);
        return false;
    }
    // The song's length is what the playback pass hands out, to the byte.
    Loaded.Bytes = static_cast<uint64_t>(std::max<int64_t>(Loaded.Song->LengthBytes, 0));
    if (!Options.Raw && Loaded.Bytes > WavMaxDataBytes) {
        Progress.MakeWayFor(Err);
        std::fprintf(Err, "morvel: %s is too long for a WAV file; only its first 4 GB are written\n",
                     Job.Input.c_str());
        Loaded.Bytes = WavMaxDataBytes;
    }
    return true;
}

// Writes the song's PCM from its start, Loaded.Bytes of it, showing the
// progress as file Index of the run. False when writing failed or a stop
// signal came (TStopSignals::Caught tells).
bool WritePcm(const TLoadedSong& Loaded, TPcmWriter& Writer, int Index, const std::string& Input,
              TProgressBar& Progress)
{
    const uint64_t totalBytes = Loaded.Bytes;
    bool written = Writer.Begin(static_cast<uint32_t>(Writer.IsRaw() ? 0 : totalBytes));
    // The total is known ahead (the WAV header holds it), so the PCM goes out
    // in pieces of up to the largest step rather than step by step: the song
    // hands out the same stream in any portions.
    TDmfPlayback playback(*Loaded.Song);
    playback.Start();
    std::vector<uint8_t> block(static_cast<size_t>(MaxTickBytes));
    const std::string name = PlatformFileName(Input);
    for (uint64_t done = 0; written && done < totalBytes && !TStopSignals::Caught();) {
        Progress.Update(Index, name, static_cast<double>(done) / static_cast<double>(totalBytes));
        const int32_t count = static_cast<int32_t>(std::min<uint64_t>(totalBytes - done, MaxTickBytes));
        playback.Render(block.data(), count);
        written = Writer.Write(block.data(), static_cast<size_t>(count));
        done += static_cast<uint64_t>(count);
    }
    return written && !TStopSignals::Caught();
}

// The lines that tell what was rendered, after Separator.
void ReportRendered(const TRenderJob& Job, const TLoadedSong& Loaded, bool Raw, const char* Separator,
                    std::FILE* Report)
{
    const TDmf& song = *Loaded.Song;
    const int32_t lengthMs = std::max(song.LengthMs, 0);
    std::fprintf(Report, "%sTitle:  %s\n", Separator, Latin1ToUtf8(song.SongName + " - " + song.Composer).c_str());
    std::fprintf(Report, "Length: %s (%d ms)\n", FormatLength(lengthMs).c_str(), lengthMs);
    static_assert(OutputChannels == 2, "the report calls the output stereo");
    std::fprintf(Report, "Output: %s (%s, %d Hz, %d-bit, stereo, %llu bytes of PCM)\n",
                 Job.Output == "-" ? "standard output" : Job.Output.c_str(), Raw ? "raw PCM" : "WAV",
                 static_cast<int>(OutputRate), static_cast<int>(OutputBits),
                 static_cast<unsigned long long>(Loaded.Bytes));
    std::fflush(Report);
}

// Renders one song and reports it after Separator; false, after saying why, when it failed.
bool RenderSong(const TRenderJob& Job, const TRenderOptions& Options, int Index, TProgressBar& Progress,
                const char* Separator, std::FILE* Report, std::FILE* Err)
{
    TLoadedSong loaded;
    if (!PrepareJob(Job, Options, Progress, Err, loaded)) {
        return false;
    }
    const bool toStdout = Job.Output == "-";
    TOutputFile file;
    std::string error;
    if (!toStdout && !file.Create(Job.Output, error)) {
        return Fail(Progress, Err, "cannot write " + Job.Output + ": " + error);
    }
    TPcmWriter writer(toStdout ? stdout : file.Stream(), Options.Raw);
    const bool written = WritePcm(loaded, writer, Index, Job.Input, Progress);
    if (TStopSignals::Caught()) {
        writer.Finish();
        return Fail(Progress, Err, toStdout ? "stopped" : "stopped; " + Job.Output + " not written");
    }
    if (!writer.Finish() || !written) {
        return Fail(Progress, Err, "writing " + Job.Output + " failed");
    }
    if (!toStdout && !file.Commit(Options.Force, error)) {
        return Fail(Progress, Err, "cannot write " + Job.Output + ": " + error);
    }
    Progress.MakeWayFor(Report);
    ReportRendered(Job, loaded, Options.Raw, Separator, Report);
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
    for (size_t i = 0; i < jobs.size() && !TStopSignals::Caught(); ++i) {
        // A blank line between the reports of two files.
        if (RenderSong(jobs[i], options, static_cast<int>(i), progress, reported ? "\n" : "", report, Err)) {
            reported = true;
        } else {
            status = 1;
        }
    }
    return TStopSignals::Caught() ? 128 + TStopSignals::Caught() : status;
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
