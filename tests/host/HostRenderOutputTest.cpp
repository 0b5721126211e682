// morvel render's outputs: no input is ever written over, an existing file
// only with --force, folders as -o names them, and a file appears only once
// it is whole.

#include <gtest/gtest.h>

#include <filesystem>

#include "host/HostOutputFile.h"
#include "host/HostRender.h"
#include "host/HostSoundFile.h"
#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

const std::string ExampleSong = MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf";

class THostRenderOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = fs::path(::testing::TempDir()) / "morvel-render-output";
        fs::remove_all(Root);
        fs::create_directories(Root);
        Song = ReadFileBytes(ExampleSong);
        // A short song keeps the renders quick: the example's end block
        // right after its header (an empty song of one 128-row pattern).
        Tiny.assign(Song.begin(), Song.begin() + 66);
        Tiny.insert(Tiny.end(), {'E', 'N', 'D', 'E'});
    }
    void TearDown() override { fs::remove_all(Root); }

    std::string Path(const std::string& Name) const { return (Root / Name).string(); }
    std::string Write(const std::string& Name, const std::vector<uint8_t>& Bytes) const
    {
        WriteFileBytes(Path(Name), Bytes);
        return Path(Name);
    }
    std::vector<uint8_t> Text(const std::string& Words) const { return {Words.begin(), Words.end()}; }
    // The names in a folder, temporary files included.
    std::vector<std::string> Names(const fs::path& Folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path Root;
    std::vector<uint8_t> Song;
    std::vector<uint8_t> Tiny;
};

TEST_F(THostRenderOutput, AnInputIsNeverWrittenOverNotEvenWithForce)
{
    const std::string input = Write("copy.dmf", Tiny);
    // The same file under other names, where the system makes links (wine does not).
    std::vector<std::string> sameFile = {input};
    std::error_code error;
    fs::create_symlink("copy.dmf", Root / "link.wav", error);
    if (!error) {
        sameFile.push_back(Path("link.wav"));
    }
    fs::create_hard_link(Root / "copy.dmf", Root / "hard.wav", error);
    if (!error) {
        sameFile.push_back(Path("hard.wav"));
    }
    // A module whose output in its own folder would be itself.
    const std::string other = Write("module.wav", Tiny);
    const std::vector<std::string> before = Names(Root);
    for (const bool force : {false, true}) {
        const std::vector<std::string> extra = force ? std::vector<std::string>{"--force"} : std::vector<std::string>{};
        for (const std::string& output : sameFile) {
            std::vector<std::string> args = {input, "--format", "wav", "-o", output};
            args.insert(args.end(), extra.begin(), extra.end());
            const TCommandRun run = RunCommand(&RunRenderCommand, args);
            EXPECT_EQ(run.Status, 1) << output;
            EXPECT_EQ(run.Err, "morvel: " + input + " not rendered: " + output + " is the same file as the input " +
                                   input + "\n");
        }
        std::vector<std::string> args = {other, "-o", Root.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(RunCommand(&RunRenderCommand, args).Status, 1);
    }
    EXPECT_EQ(ReadFileBytes(input), Tiny);
    EXPECT_EQ(ReadFileBytes(other), Tiny);
    EXPECT_EQ(Names(Root), before);
}

TEST_F(THostRenderOutput, AnExistingFileIsReplacedOnlyWithForce)
{
    if (!SoundFilesAvailable()) {
        GTEST_SKIP() << "this build has no encoder library: it writes raw PCM only";
    }
    const std::string input = Write("song.dmf", Tiny);
    const std::string precious = Write("song.wav", Text("precious"));
    const TCommandRun refused = RunCommand(&RunRenderCommand, {input, "-o", precious});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_EQ(refused.Err, "morvel: " + input + " not rendered: " + precious + " exists (--force writes over it)\n");
    EXPECT_EQ(ReadFileBytes(precious), Text("precious"));
    // The same for the default name in a folder.
    EXPECT_EQ(RunCommand(&RunRenderCommand, {input, "-o", Root.string()}).Status, 1);
    EXPECT_EQ(ReadFileBytes(precious), Text("precious"));

    // Options anywhere before the files, the short form too.
    ASSERT_EQ(RunCommand(&RunRenderCommand, {"-f", input, "-o", precious}).Status, 0);
    const std::vector<uint8_t> wav = ReadFileBytes(precious);
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(std::vector<uint8_t>(wav.begin(), wav.begin() + 4), Text("RIFF"));

    EXPECT_EQ(Names(Root), (std::vector<std::string>{"song.dmf", "song.wav"}));

    // A link in the output's place is replaced by the file, what it points to stays.
    const std::string target = Write("elsewhere.txt", Text("keep me"));
    std::error_code error;
    fs::create_symlink("elsewhere.txt", Root / "linked.wav", error);
    if (error) {
        return;  // no links here (wine)
    }
    ASSERT_EQ(RunCommand(&RunRenderCommand, {input, "--force", "-o", Path("linked.wav")}).Status, 0);
    EXPECT_FALSE(fs::is_symlink(Root / "linked.wav"));
    EXPECT_EQ(ReadFileBytes(Path("linked.wav")), wav);
    EXPECT_EQ(ReadFileBytes(target), Text("keep me"));
    EXPECT_EQ(Names(Root), (std::vector<std::string>{"elsewhere.txt", "linked.wav", "song.dmf", "song.wav"}));
}

TEST_F(THostRenderOutput, FoldersAsOutputNamesThem)
{
    if (!SoundFilesAvailable()) {
        GTEST_SKIP() << "this build has no encoder library: it writes raw PCM only";
    }
    const std::string first = Write("first.dmf", Tiny);
    const std::string second = Write("second.dmf", Tiny);

    // A trailing slash makes a folder, also for one file.
    ASSERT_EQ(RunCommand(&RunRenderCommand, {first, "-o", Path("one") + "/"}).Status, 0);
    EXPECT_EQ(Names(Root / "one"), std::vector<std::string>{"first.wav"});
    // Several files into a new name: a folder made for them.
    ASSERT_EQ(RunCommand(&RunRenderCommand, {first, second, "--raw", "-o", Path("many")}).Status, 0);
    EXPECT_EQ(Names(Root / "many"), (std::vector<std::string>{"first.pcm", "second.pcm"}));
    // Several files and an existing file: refused, nothing made beside it.
    const std::string existing = Write("taken", Text("a file"));
    const TCommandRun run = RunCommand(&RunRenderCommand, {first, second, "-o", existing});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "morvel: " + existing + ": not a folder; several files need a folder for their outputs\n");
    EXPECT_EQ(ReadFileBytes(existing), Text("a file"));
    // A folder where the output file would go.
    fs::create_directories(Root / "dir" / "first.wav");
    EXPECT_EQ(RunCommand(&RunRenderCommand, {first, "-f", "-o", Path("dir")}).Status, 1);
    EXPECT_EQ(Names(Root), (std::vector<std::string>{"dir", "first.dmf", "many", "one", "second.dmf", "taken"}));
    EXPECT_TRUE(fs::is_empty(Root / "dir" / "first.wav"));
}

TEST_F(THostRenderOutput, AFileAppearsOnlyWhenWholeAndNothingIsLeftBehind)
{
    const std::string target = Path("out.wav");
    std::string error;
    {
        // Written and dropped: no file at all.
        TOutputFile file;
        ASSERT_TRUE(file.Create(target, error)) << error;
        std::fputs("half", file.Stream());
        EXPECT_EQ(Names(Root).size(), 1u);  // the temporary file, hidden, beside the target
        EXPECT_EQ(Names(Root).front().rfind(".out.wav.", 0), 0u);
        EXPECT_FALSE(fs::exists(target));
    }
    EXPECT_TRUE(fs::is_empty(Root));

    Write("out.wav", Text("old"));
    {
        // Someone made the target meanwhile: kept unless replacing is allowed.
        TOutputFile file;
        ASSERT_TRUE(file.Create(target, error));
        std::fputs("new", file.Stream());
        EXPECT_FALSE(file.Commit(false, error));
        EXPECT_EQ(ReadFileBytes(target), Text("old"));
        EXPECT_EQ(Names(Root), std::vector<std::string>{"out.wav"});
    }
    {
        TOutputFile file;
        ASSERT_TRUE(file.Create(target, error));
        std::fputs("new", file.Stream());
        EXPECT_TRUE(file.Commit(true, error)) << error;
    }
    EXPECT_EQ(ReadFileBytes(target), Text("new"));
    EXPECT_EQ(Names(Root), std::vector<std::string>{"out.wav"});

    // No folder to put it in: the reason, and no file.
    TOutputFile file;
    EXPECT_FALSE(file.Create(Path("missing/out.wav"), error));
    EXPECT_FALSE(error.empty());
    const TCommandRun run = RunCommand(&RunRenderCommand, {ExampleSong, "-o", Path("missing/out.wav")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("cannot write " + Path("missing/out.wav") + ": "), std::string::npos) << run.Err;
}

}  // namespace
