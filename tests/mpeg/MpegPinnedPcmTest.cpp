// Every stream of the test data decoded through the front end, as a compressed
// sample is decoded when a module loads, against the SHA-256 of its PCM kept in
// tests/data/decoded-pcm.sha256: a faster decoder must give the same bytes. Only a
// deliberate change of what the decoder outputs renews the list (the lines
// scripts/pcm-hashes.sh prints for the streams).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/PlatformCodePath.h"
#include "tests/mpeg/MpegTestFrames.h"
#include "tests/support/ScopedCodePath.h"
#include "tests/support/Sha256.h"
#include "tests/support/TestFiles.h"

namespace {

const std::filesystem::path DataFolder = MORVEL_TEST_DATA;

// Stream path under tests/data -> the SHA-256 of its PCM.
std::map<std::string, std::string> PinnedHashes()
{
    std::map<std::string, std::string> hashes;
    std::ifstream list(DataFolder / "decoded-pcm.sha256");
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string hash, path;
        fields >> hash >> path;
        hashes[path] = hash;
    }
    return hashes;
}

// Every stream in the decoder's fixture folders, by path under tests/data.
std::vector<std::string> StreamsOnDisk()
{
    std::vector<std::string> streams;
    for (const char* folder : {"mpeg", "mpeg3", "fuzz-regressions/mpeg"}) {
        for (const auto& entry : std::filesystem::directory_iterator(DataFolder / folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".mp1" || extension == ".mp2" || extension == ".mp3" || extension == ".wav") {
                streams.push_back(std::string(folder) + "/" + entry.path().filename().string());
            }
        }
    }
    std::sort(streams.begin(), streams.end());
    return streams;
}

// Decodes every stream on the process's code path and compares with the pinned hashes.
void ExpectPinnedBytes()
{
    const std::map<std::string, std::string> pinned = PinnedHashes();
    const std::vector<std::string> streams = StreamsOnDisk();
    ASSERT_GE(streams.size(), 40u);
    for (const std::string& stream : streams) {
        const auto hash = pinned.find(stream);
        ASSERT_NE(hash, pinned.end()) << stream << " has no pinned hash";
        const std::vector<uint8_t> pcm = MpegTest::DecodeAll(ReadFileBytes((DataFolder / stream).string()));
        EXPECT_EQ(Sha256Hex(pcm), hash->second) << stream << " (" << pcm.size() << " bytes of PCM)";
    }
    EXPECT_EQ(pinned.size(), streams.size()) << "a pinned stream is gone";
}

}  // namespace

// With the fastest code this processor runs.
TEST(MpegPinnedPcm, EveryStreamDecodesToItsPinnedBytes)
{
    ExpectPinnedBytes();
}

// On every plainer path this build and processor have (window sums one at a
// time on plain and in pairs on sse2, four blocks per transform on both),
// whatever the fastest is.
TEST(MpegPinnedPcm, EveryStreamDecodesToItsPinnedBytesOnEveryPlainerPath)
{
    for (const TCodePath path : CodePaths) {
        if (CodePathAvailable(path) && path != CodePath()) {
            SCOPED_TRACE(CodePathName(path));
            const TScopedCodePath onPath(path);
            ExpectPinnedBytes();
        }
    }
}

TEST(MpegPinnedPcm, HashIsSha256)
{
    EXPECT_EQ(Sha256Hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::string abc = "abc";
    EXPECT_EQ(Sha256Hex(std::vector<uint8_t>(abc.begin(), abc.end())),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Two blocks once padded: 56 bytes leave no room for the length in the first.
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(Sha256Hex(std::vector<uint8_t>(twoBlocks.begin(), twoBlocks.end())),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}
