#pragma once
// A file name as the host passes it: in the system's code page through
// In_Module's entry points and Winamp 5's narrow exports, in wide characters
// through its ...W exports, which also reach a file that code page cannot spell.

#include <memory>
#include <string>
#include <string_view>

#include "platform/PlatformPath.h"
#include "platform/PlatformStream.h"
#include "plugin/PluginIdentity.h"

// True when the name's last extension is ours, in any case: not "x.dmf.mp3",
// nor a file in a folder named "a.dmf".
template <class TChar> bool HasOurExtension(std::basic_string_view<TChar> Name)
{
    Name.remove_prefix(FileNameStart(Name));
    const size_t dot = Name.rfind(TChar{'.'});
    if (dot == std::basic_string_view<TChar>::npos) {
        return false;
    }
    const std::string_view ours(ModuleExtension);
    const std::basic_string_view<TChar> extension = Name.substr(dot + 1);
    if (extension.size() != ours.size()) {
        return false;
    }
    for (size_t i = 0; i < ours.size(); ++i) {
        TChar c = extension[i];
        if (c >= TChar{'A'} && c <= TChar{'Z'}) {
            c = static_cast<TChar>(c - TChar{'A'} + TChar{'a'});
        }
        if (c != static_cast<TChar>(ours[i])) {
            return false;
        }
    }
    return true;
}

// The file opened for reading, shared with other readers; throws
// EFileOpenError when it cannot be opened (or no name was given).
inline std::unique_ptr<TFileStream> OpenHostFile(const char* Name)
{
    if (!Name) {
        throw EFileOpenError("");
    }
    return std::make_unique<TFileStream>(std::string(Name));
}

inline std::unique_ptr<TFileStream> OpenHostFile(const wchar_t* Name)
{
    if (!Name) {
        throw EFileOpenError("");
    }
    return std::make_unique<TFileStream>(std::wstring(Name));
}
