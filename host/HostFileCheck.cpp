#include "host/HostFileCheck.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>

#include "player/DmfSong.h"

namespace {

// TDmf::BlockKind of a tag it does not know.
constexpr uint8_t UnknownBlockKind = 255;

}  // namespace

std::string OpenProblem(const std::string& Path)
{
    namespace fs = std::filesystem;
    if (Path.empty()) {
        return "no such file";
    }
    std::error_code error;
    const fs::file_status status = fs::status(Path, error);
    if (status.type() == fs::file_type::not_found) {
        return "no such file";
    }
    if (status.type() == fs::file_type::directory) {
        return "a folder, not a file";
    }
    // A pipe or a device would be read for ever, or block the open itself.
    if (!error && status.type() != fs::file_type::regular) {
        return "not a regular file";
    }
    std::FILE* file = std::fopen(Path.c_str(), "rb");
    if (!file) {
        if (errno == EACCES || errno == EPERM) {
            return "permission denied";
        }
        return errno == ENOENT ? "no such file" : std::strerror(errno);
    }
    std::fclose(file);
    return {};
}

std::string NotAModuleReason(const std::string& Path)
{
    std::FILE* file = std::fopen(Path.c_str(), "rb");
    if (!file) {
        return OpenProblem(Path);
    }
    uint8_t tag[4];
    const size_t count = std::fread(tag, 1, sizeof tag, file);
    std::fclose(file);
    if (count == 0) {
        return "not a module: the file is empty";
    }
    if (count < sizeof tag || TDmf::BlockKind(tag) == UnknownBlockKind) {
        return "not a module: it does not begin with a module block";
    }
    return "not a complete module: cut short before its end block";
}

std::string LoadSongFile(TDmf& Song, const std::string& Path, bool InfoOnly)
{
    std::string problem = OpenProblem(Path);
    if (!problem.empty()) {
        return problem;
    }
    try {
        if (InfoOnly) {
            Song.LoadInfoFromFile(Path);
        } else {
            Song.LoadFromFile(Path);
        }
    } catch (const EFileOpenError&) {
        // Gone or changed since the check above.
        problem = OpenProblem(Path);
        return problem.empty() ? "cannot be opened" : problem;
    } catch (const std::bad_alloc&) {
        return "not enough memory to load it";
    } catch (const std::exception& error) {
        return error.what();
    }
    return Song.Loaded ? std::string() : NotAModuleReason(Path);
}

std::string ModuleFileProblem(const std::string& Path)
{
    // The song object is large: keep it off the stack.
    auto song = std::make_unique<TDmf>();
    return LoadSongFile(*song, Path, true);
}

void ReportRefusedFile(std::FILE* Err, const std::string& Path, const std::string& Reason)
{
    std::fprintf(Err, "morvel: %s: %s\n", Path.c_str(), Reason.c_str());
    std::fflush(Err);
}
