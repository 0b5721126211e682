#include "host/HostRender.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/HostFileCheck.h"
#include "host/HostInfo.h"
#include "host/HostOutputFile.h"
#include "host/HostProgress.h"
#include "host/HostSoundFile.h"
#include "host/HostSoundFormat.h"
#include "host/HostSoundOptions.h"
#include "host/HostText.h"
#include "platform/PlatformFile.h"
#include "platform/PlatformPath.h"
#include "platform/PlatformStopSignals.h"
#include "player/DmfOutputFormat.h"
#include "player/DmfPlayback.h"
#include "player/DmfSong.h"
#include "player/DmfSongTime.h"

namespace {

// What the command line asked for.
struct TRenderOptions {
    std::vector<std::string> Inputs;       // the module files
    std::string Output;                    // file or folder; "-" for standard output; empty: the defaults
    const TSoundFormat* Format = nullptr;  // --format; null: by the output's name
    double Quality = -1;                   // --quality; negative: the format's default
    bool Force = false;                    // an existing output file may be replaced
    TSoundSettings Sound;                  // the sound settings' options
    bool RateGiven = false;                // --rate was given: not the format's own rate
};

constexpr THostOption RenderOptions[] = {
    {"--output", 'o', "OUT",
     "where the PCM goes: a file (- standard output) for one FILE, a folder (made when missing) for several"},
    {"--format", 0, "NAME",
     "raw, wav, flac, ogg (Vorbis), opus or mp3; by default what the output file's extension names, else wav "
     "(raw for standard output)"},
    {"--quality", 'q', "Q", "of ogg, opus and mp3: 0 (smallest) to 10 (best sound); by default 5, 3 and 8"},
    {"--raw", 0, nullptr, "headerless PCM, named .pcm: --format raw"},
    {"--force", 'f', nullptr, "write over existing output files (never over an input)"},
    InterpolationOption,
    RateOption,
    SeparationOption,
    ClickRemovalOption,
};

// One input, where its PCM goes and in what format.
struct TRenderJob {
    std::string Input;
    std::string Output;
    const TSoundFormat* Format = nullptr;
};

// The default output name: the module's file name with the format's extension for its own.
std::string DefaultOutput(const std::string& Input, const TSoundFormat& Format)
{
    std::string name = PlatformFileName(Input);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name + Format.Extension;
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
        Jobs.push_back({Options.Inputs[0], output, Options.Format ? Options.Format : &RawFormat()});
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
        const TSoundFormat* format = Options.Format ? Options.Format : FormatOfPath(output);
        if (!format) {
            Status = CommandUsageError(
                RenderCommand, output + ": no format has that extension (--format names one: " + FormatNameList() + ")",
                Err);
            return false;
        }
        Jobs.push_back({Options.Inputs[0], output, format});
        return true;
    }
    const TSoundFormat& format = Options.Format ? *Options.Format : WavFormat();
    for (const std::string& input : Options.Inputs) {
        const std::string target = InFolder(output, DefaultOutput(input, format));
        for (const TRenderJob& job : Jobs) {
            if (job.Output == target) {
                std::fprintf(Err, "morvel: %s and %s would both be written to %s\n", job.Input.c_str(), input.c_str(),
                             target.c_str());
                return false;
            }
        }
        Jobs.push_back({input, target, &format});
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

// The sound settings a song renders with: the one place they are made for a
// job. Those the options ask for, at the rate the format carries when it has
// one of its own and no other was asked for.
TSoundSettings RenderSettings(const TSoundFormat& Format, const TRenderOptions& Options)
{
    TSoundSettings settings = Options.Sound;
    if (Format.Rate > 0 && !Options.RateGiven) {
        settings.Rate = Format.Rate;
    }
    return settings;
}

// The tags of a song's file: its name, composer and message (its lines
// without their padding, the empty ones at the end left out) and the program.
TSoundTags SongTags(const TDmf& Song)
{
    TSoundTags tags;
    tags.Title = Latin1ToUtf8(Song.SongName);
    tags.Artist = Latin1ToUtf8(Song.Composer);
    std::string comment;
    for (const std::string& line : Song.Message) {
        comment += WithoutPadding(line) + "\n";
    }
    tags.Comment = Latin1ToUtf8(comment.substr(0, comment.find_last_not_of('\n') + 1));
    tags.Software = std::string("Morvel ") + MORVEL_VERSION;
    return tags;
}

// A song loaded for its job, and how much of it goes out.
struct TLoadedSong {
    std::unique_ptr<TDmf> Song;  // the song object is large: kept off the stack
    uint64_t MaxBytes = 0;       // what the format can hold of it; 0: all
};

// Standard output can take the format: a format whose header is finished at
// the end needs to seek back, which a pipe cannot.
bool StandardOutputTakes(const TSoundFormat& Format)
{
    return Format.Streams || std::fseek(stdout, 0, SEEK_CUR) == 0;
}

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
    if (Job.Output == "-" && !StandardOutputTakes(*Job.Format)) {
        return Fail(Progress, Err,
                    Job.Input + " not rendered: " + Job.Format->Words +
                        " cannot go to a pipe (its header is finished after the sound, in place); write a file, or "
                        "choose raw, flac, ogg, opus or mp3");
    }
    Loaded.Song = std::make_unique<TDmf>();
    const std::string problem = LoadSongFile(*Loaded.Song, Job.Input, false);
    if (!problem.empty()) {
        Progress.MakeWayFor(Err);
        ReportRefusedFile(Err, Job.Input, problem);
        return false;
    }
    // Before the playback pass starts, as the song keeps them while it plays.
    Loaded.Song->Sound = RenderSettings(*Job.Format, Options);
    const uint64_t songBytes = static_cast<uint64_t>(
        OutputBytesOf(std::max<int64_t>(Loaded.Song->LengthBytes, 0), Loaded.Song->SoundInForce().Rate));
    Loaded.MaxBytes = Job.Format->MaxDataBytes;
    if (Loaded.MaxBytes > 0 && songBytes > Loaded.MaxBytes) {
        Progress.MakeWayFor(Err);
        std::fprintf(Err, "morvel: %s is too long for a %s file; only its first 4 GB are written\n", Job.Input.c_str(),
                     Job.Format->Words);
    }
    return true;
}

// Where a job's PCM goes: the bytes as they are (raw PCM), or a sound file
// the encoder makes of them.
class TPcmSink {
public:
    TPcmSink(std::FILE* Stream, const TSoundFormat& Format) : Stream(Stream), Raw(&Format == &RawFormat())
    {
        if (Stream == stdout) {
            PlatformSetBinaryMode(stdout);  // no newline translation in PCM
        }
    }

    bool Open(const TSoundFileSpec& Spec, std::string& Error)
    {
        return Raw ? Stream != nullptr : Encoded.Open(Stream, Spec, Error);
    }
    // Count bytes of PCM, whole frames.
    bool Write(const int16_t* Pcm, size_t Count)
    {
        if (Raw) {
            return std::fwrite(Pcm, 1, Count, Stream) == Count;
        }
        return Encoded.Write(Pcm, static_cast<int64_t>(Count / OutputBytesPerFrame));
    }
    // Flushes, or ends the sound file; false, with the reason in Error, when anything was not written.
    bool Finish(std::string& Error)
    {
        if (!Raw) {
            return Encoded.Finish(Error);
        }
        if (std::fflush(Stream) != 0) {
            Error = std::strerror(errno);
            return false;
        }
        return true;
    }

private:
    std::FILE* Stream;
    const bool Raw;
    TSoundFile Encoded;
};

// Hands the song's PCM from its start to Sink, as the playback pass hands it
// out (all of it, or what the format can hold), showing the progress as file
// Index of the run. False when writing failed or a stop signal came
// (TStopSignals::Caught tells).
bool WritePcm(const TLoadedSong& Loaded, TPcmSink& Sink, int Index, const std::string& Input, TProgressBar& Progress,
              uint64_t& Written)
{
    TDmf& song = *Loaded.Song;
    TDmfPlayback playback(song);
    playback.Start();
    // Render steps fill a block of the largest step's size, which goes out
    // whole: a few large writes rather than one a tick.
    const uint64_t blockBytes = MaxTickBytesAt(song.SoundInForce().Rate);
    std::vector<int16_t> block(static_cast<size_t>(blockBytes) / sizeof(int16_t));
    const std::string name = PlatformFileName(Input);
    const double lengthMs = std::max(song.LengthMs, 1);
    const uint64_t limit = Loaded.MaxBytes > 0 ? Loaded.MaxBytes : UINT64_MAX;
    bool written = true;
    Written = 0;
    while (written && playback.Playing() && Written < limit && !TStopSignals::Caught()) {
        Progress.Update(Index, name, std::min(playback.PositionMs() / lengthMs, 1.0));
        uint64_t filled = 0;
        while (playback.Playing() && filled + static_cast<uint64_t>(playback.StepBytes()) <= blockBytes &&
               Written + filled < limit) {
            const uint64_t count = std::min<uint64_t>(playback.StepBytes(), limit - Written - filled);
            playback.Render(reinterpret_cast<uint8_t*>(block.data()) + filled, static_cast<int32_t>(count));
            filled += count;
        }
        written = Sink.Write(block.data(), static_cast<size_t>(filled));
        Written += filled;
    }
    return written && !TStopSignals::Caught();
}

// The lines that tell what was rendered, after Separator.
void ReportRendered(const TRenderJob& Job, const TDmf& Song, double Quality, uint64_t Bytes, const char* Separator,
                    std::FILE* Report)
{
    const int32_t lengthMs = std::max(Song.LengthMs, 0);
    std::fprintf(Report, "%sTitle:  %s\n", Separator, TerminalText(Song.SongName + " - " + Song.Composer).c_str());
    std::fprintf(Report, "Length: %s (%d ms)\n", FormatLength(lengthMs).c_str(), lengthMs);
    std::string format = Job.Format->Words;
    if (IsLossy(*Job.Format)) {
        char quality[32];
        std::snprintf(quality, sizeof quality, " quality %g", Quality < 0 ? Job.Format->DefaultQuality : Quality);
        format += quality;
    }
    static_assert(OutputChannels == 2, "the report calls the output stereo");
    std::fprintf(Report, "Output: %s (%s, %d Hz, %d-bit, stereo, %llu bytes of PCM)\n",
                 Job.Output == "-" ? "standard output" : Job.Output.c_str(), format.c_str(),
                 static_cast<int>(Song.Sound.Rate), static_cast<int>(OutputBits),
                 static_cast<unsigned long long>(Bytes));
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
    TPcmSink sink(toStdout ? stdout : file.Stream(), *Job.Format);
    const TSoundFileSpec spec{Job.Format, loaded.Song->Sound.Rate, Options.Quality, SongTags(*loaded.Song)};
    if (!sink.Open(spec, error)) {
        return Fail(Progress, Err, "cannot write " + Job.Output + " as " + Job.Format->Words + ": " + error);
    }
    uint64_t bytes = 0;
    const bool written = WritePcm(loaded, sink, Index, Job.Input, Progress, bytes);
    const bool finished = sink.Finish(error);
    if (TStopSignals::Caught()) {
        return Fail(Progress, Err, toStdout ? "stopped" : "stopped; " + Job.Output + " not written");
    }
    if (!finished || !written) {
        return Fail(Progress, Err, "writing " + Job.Output + " failed" + (error.empty() ? "" : ": " + error));
    }
    if (!toStdout && !file.Commit(Options.Force, error)) {
        return Fail(Progress, Err, "cannot write " + Job.Output + ": " + error);
    }
    Progress.MakeWayFor(Report);
    ReportRendered(Job, *loaded.Song, Options.Quality, bytes, Separator, Report);
    return true;
}

// Reads --format, --raw and --quality; false, after saying why, when they do not fit together.
bool ReadFormatOptions(const THostArgs& Args, TRenderOptions& Options, std::string& Error)
{
    if (Args.Has("--format")) {
        Options.Format = FormatNamed(Args.Value("--format"));
        if (!Options.Format) {
            Error = "no format is named " + Args.Value("--format") + " (the formats: " + FormatNameList() + ")";
            return false;
        }
    }
    if (Args.Has("--raw")) {
        if (Options.Format && Options.Format != &RawFormat()) {
            Error = "--raw and --format " + Args.Value("--format") + " ask for two formats";
            return false;
        }
        Options.Format = &RawFormat();
    }
    if (Args.Has("--quality")) {
        const std::string text = Args.Value("--quality");
        char* end = nullptr;
        Options.Quality = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !(Options.Quality >= MinQuality && Options.Quality <= MaxQuality)) {
            Error = "--quality takes a number from 0 to 10, not " + text;
            return false;
        }
    }
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
    options.Force = args.Has("--force");
    std::string error;
    if (!ReadFormatOptions(args, options, error) || !ReadSoundOptions(args, options.Sound, error)) {
        return CommandUsageError(RenderCommand, error, Err);
    }
    options.RateGiven = args.Has(RateOption.Long);
    std::vector<TRenderJob> jobs;
    if (!PlanJobs(options, jobs, Err, status)) {
        return status;
    }
    // --quality for a file whose name chose a lossless format, or a rate the format cannot carry.
    for (const TRenderJob& job : jobs) {
        if (options.Quality >= 0 && !IsLossy(*job.Format)) {
            return CommandUsageError(
                RenderCommand, "--quality is for ogg, opus and mp3; " + job.Output + " is " + job.Format->Name, Err);
        }
        if (options.RateGiven && !FormatTakesRate(*job.Format, options.Sound.Rate)) {
            return CommandUsageError(RenderCommand,
                                     std::string(job.Format->Words) + " carries " + FormatRateList(*job.Format) +
                                         " Hz, not " + std::to_string(options.Sound.Rate),
                                     Err);
        }
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
    .Summary = "songs as WAV, FLAC, Ogg Vorbis, Opus, MP3 or raw PCM files",
    .About = "Renders each song from its start for its length as " DMF_OUTPUT_FORMAT_WORDS " PCM, or at the rate "
             "--rate gives (Opus at 48000 Hz unless --rate names another of its rates), with the sound the options "
             "choose, into a file of the format --format names or the output's extension tells (.wav, .flac, .ogg, "
             ".opus, .mp3, .pcm for raw PCM), tagged with the song's name, composer and message where the format "
             "has tags. Each output is named after its input with the format's extension (.wav by default), in the "
             "current folder or in the folder -o names; standard output (-o -) takes raw PCM unless --format says "
             "otherwise. Existing files are not written over without --force, an input never; a file is written "
             "under a temporary name and renamed when complete. A file that fails is reported and the others are "
             "still rendered.",
    .Options = RenderOptions,
    .MoreHelp = nullptr,
    .Run = &RunRenderCommand,
};
