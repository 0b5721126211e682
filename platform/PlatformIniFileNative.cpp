// A settings file read and written here, in the format of Windows' profile
// functions (PlatformIniFile.h).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/PlatformIniFile.h"

namespace {

// No settings file is larger; a larger file is not taken for one.
constexpr size_t MaxFileBytes = 16 << 20;

bool IsBlank(char C)
{
    return C == ' ' || C == '\t' || C == '\r' || C == '\v' || C == '\f';
}

std::string_view Trimmed(std::string_view Text)
{
    while (!Text.empty() && IsBlank(Text.front())) {
        Text.remove_prefix(1);
    }
    while (!Text.empty() && IsBlank(Text.back())) {
        Text.remove_suffix(1);
    }
    return Text;
}

char Lower(char C)
{
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

bool SameName(std::string_view A, std::string_view B)
{
    if (A.size() != B.size()) {
        return false;
    }
    for (size_t i = 0; i < A.size(); ++i) {
        if (Lower(A[i]) != Lower(B[i])) {
            return false;
        }
    }
    return true;
}

// One line of the file: where it starts, where its text ends (before its
// line break) and where the next one starts.
struct TLine {
    size_t Start = 0;
    size_t TextEnd = 0;
    size_t End = 0;
};

enum class TLineKind { Other, Section, Entry };

// What a line says: a section's header, a key's entry, or anything else (a
// blank line, a comment, a key without '=').
struct TLineMeaning {
    TLineKind Kind = TLineKind::Other;
    std::string_view Name;
    std::string_view Value;
};

std::string_view TextOf(const std::string& Text, const TLine& Line)
{
    return std::string_view(Text).substr(Line.Start, Line.TextEnd - Line.Start);
}

std::vector<TLine> LinesOf(const std::string& Text)
{
    std::vector<TLine> lines;
    size_t start = 0;
    while (start < Text.size()) {
        const size_t feed = Text.find('\n', start);
        const size_t end = feed == std::string::npos ? Text.size() : feed + 1;
        size_t textEnd = feed == std::string::npos ? Text.size() : feed;
        if (textEnd > start && Text[textEnd - 1] == '\r') {
            --textEnd;
        }
        lines.push_back({start, textEnd, end});
        start = end;
    }
    return lines;
}

std::string_view Unquoted(std::string_view Value)
{
    if (Value.size() >= 2 && (Value.front() == '"' || Value.front() == '\'') && Value.back() == Value.front()) {
        return Value.substr(1, Value.size() - 2);
    }
    return Value;
}

TLineMeaning MeaningOf(const std::string& Text, const TLine& Line)
{
    const std::string_view line = Trimmed(TextOf(Text, Line));
    if (line.empty() || line.front() == ';') {
        return {};
    }
    if (line.front() == '[') {
        const size_t close = line.find(']');
        return {
            TLineKind::Section, Trimmed(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)), {}};
    }
    const size_t equals = line.find('=');
    const std::string_view name = Trimmed(line.substr(0, equals));
    if (equals == std::string_view::npos || name.empty()) {
        return {};
    }
    return {TLineKind::Entry, name, Unquoted(Trimmed(line.substr(equals + 1)))};
}

// The lines of the first section named Section: from its header (First) to
// the next header or the file's end (Last); Found false when there is none.
struct TSectionLines {
    bool Found = false;
    size_t First = 0;
    size_t Last = 0;
};

TSectionLines SectionLines(const std::string& Text, const std::vector<TLine>& Lines, const std::string& Section)
{
    TSectionLines section;
    for (size_t i = 0; i < Lines.size(); ++i) {
        const TLineMeaning meaning = MeaningOf(Text, Lines[i]);
        if (meaning.Kind != TLineKind::Section) {
            continue;
        }
        if (section.Found) {
            section.Last = i;
            return section;
        }
        if (SameName(meaning.Name, Section)) {
            section = {true, i, Lines.size()};
        }
    }
    return section;
}

// The line of the first entry of Key in the section; Lines.size() when none.
size_t EntryLine(const std::string& Text, const std::vector<TLine>& Lines, const TSectionLines& Section,
                 const std::string& Key)
{
    for (size_t i = Section.First + 1; i < Section.Last; ++i) {
        const TLineMeaning meaning = MeaningOf(Text, Lines[i]);
        if (meaning.Kind == TLineKind::Entry && SameName(meaning.Name, Key)) {
            return i;
        }
    }
    return Lines.size();
}

// The whole file at Path into Text. False when it cannot be read; Missing
// then says whether there is no file of that name at all.
bool ReadWhole(const std::string& Path, std::string& Text, bool& Missing)
{
    Missing = false;
    Text.clear();
    std::FILE* file = std::fopen(Path.c_str(), "rbe");
    if (!file) {
        Missing = errno == ENOENT;
        return false;
    }
    struct stat status { };
    bool read = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode) &&
                static_cast<uint64_t>(status.st_size) <= MaxFileBytes;
    char buffer[16384];
    while (read) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, file);
        Text.append(buffer, got);
        if (got < sizeof buffer) {
            read = !std::ferror(file);
            break;
        }
        read = Text.size() <= MaxFileBytes;
    }
    std::fclose(file);
    return read;
}

bool WriteAll(int File, const std::string& Text)
{
    size_t done = 0;
    while (done < Text.size()) {
        const ssize_t written = write(File, Text.data() + done, Text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Replaces the file at Path (the file a link leads to, the link kept) with
// Text: written beside it under a passing name, then renamed over it, so that
// the file is either all old or all new. Its permissions stay.
bool ReplaceFile(const std::string& Path, const std::string& Text)
{
    std::string target = Path;
    if (char* resolved = realpath(Path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat status { };
    const bool existed = stat(target.c_str(), &status) == 0;
    std::string passing = target + ".XXXXXX";
    const int file = mkostemp(passing.data(), O_CLOEXEC);
    if (file < 0) {
        return false;
    }
    bool written = (!existed || fchmod(file, status.st_mode & 07777) == 0) && WriteAll(file, Text) && fsync(file) == 0;
    written = close(file) == 0 && written;
    if (!written || std::rename(passing.c_str(), target.c_str()) != 0) {
        unlink(passing.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool PlatformReadIniEntries(const std::string& Path, const std::string& Section, const std::vector<std::string>& Keys,
                            std::vector<TIniEntry>& Found)
{
    Found.clear();
    std::string text;
    bool missing = false;
    if (!ReadWhole(Path, text, missing)) {
        return false;
    }
    const std::vector<TLine> lines = LinesOf(text);
    const TSectionLines section = SectionLines(text, lines, Section);
    if (!section.Found) {
        return true;
    }
    for (const std::string& key : Keys) {
        const size_t line = EntryLine(text, lines, section, key);
        if (line < lines.size()) {
            const std::string_view value = MeaningOf(text, lines[line]).Value;
            if (!value.empty()) {
                Found.push_back({key, std::string(value)});
            }
        }
    }
    return true;
}

bool PlatformWriteIniEntries(const std::string& Path, const std::string& Section, const std::vector<TIniEntry>& Entries)
{
    if (Path.empty() || !PlatformIniCarries(Section, Entries)) {
        return false;
    }
    std::string text;
    bool missing = false;
    // A file that is there but cannot be read is never written over.
    if (!ReadWhole(Path, text, missing) && !missing) {
        return false;
    }
    // New lines end as the file's own do.
    const std::string lineBreak = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::vector<TLine> lines = LinesOf(text);
    const TSectionLines section = SectionLines(text, lines, Section);

    // Each entry replaces its key's line, or joins the section after its
    // last line that is not blank, or comes with the section at the end.
    std::vector<std::optional<std::string>> replaced(lines.size());
    std::string added;
    for (const TIniEntry& entry : Entries) {
        const size_t line = section.Found ? EntryLine(text, lines, section, entry.Key) : lines.size();
        if (line < lines.size()) {
            replaced[line] = entry.Key + "=" + entry.Value;
        } else {
            added += entry.Key + "=" + entry.Value + lineBreak;
        }
    }
    // The line the added entries follow; none in a file without lines.
    std::optional<size_t> insertAfter;
    if (section.Found) {
        insertAfter = section.First;
        for (size_t i = section.First + 1; i < section.Last; ++i) {
            if (!Trimmed(TextOf(text, lines[i])).empty()) {
                insertAfter = i;
            }
        }
    } else {
        added = "[" + Section + "]" + lineBreak + added;
        if (!lines.empty()) {
            insertAfter = lines.size() - 1;
        }
    }

    std::string result = insertAfter ? std::string() : added;
    result.reserve(text.size() + added.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const TLine& line = lines[i];
        if (replaced[i]) {
            result += *replaced[i];
            result.append(text, line.TextEnd, line.End - line.TextEnd);
        } else {
            result.append(text, line.Start, line.End - line.Start);
        }
        if (insertAfter == i && !added.empty()) {
            // The file's last line may have no line break of its own.
            if (text[line.End - 1] != '\n') {
                result += lineBreak;
            }
            result += added;
        }
    }
    return ReplaceFile(Path, result);
}
