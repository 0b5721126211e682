#pragma once
// How paths are written: the characters that end a folder, and the file name
// and folder parts of a path. Every part of the program that takes a path
// apart does it here.

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

// A Windows path's folders end at either slash, and a drive at its colon ("C:name").
inline constexpr std::string_view WindowsFolderDelimiters = "\\/:";
#ifdef _WIN32
inline constexpr std::string_view PlatformFolderDelimiters = WindowsFolderDelimiters;
#else
inline constexpr std::string_view PlatformFolderDelimiters = "/";
#endif

// Where the file name of Path begins: just after its last delimiter, 0 when it
// has none. For narrow and wide paths alike.
template <class TChar>
size_t FileNameStart(std::basic_string_view<TChar> Path, std::string_view Delimiters = PlatformFolderDelimiters)
{
    for (size_t at = Path.size(); at > 0; --at) {
        const auto code = static_cast<std::make_unsigned_t<TChar>>(Path[at - 1]);
        if (code < 0x80 && Delimiters.find(static_cast<char>(code)) != std::string_view::npos) {
            return at;
        }
    }
    return 0;
}

// The file name of Path: what follows its last delimiter (all of it when there is none).
std::string PlatformFileName(std::string_view Path, std::string_view Delimiters = PlatformFolderDelimiters);
// The folder part of Path, up to and including its last delimiter; empty when there is none.
std::string PlatformFolderPart(std::string_view Path, std::string_view Delimiters = PlatformFolderDelimiters);
