#pragma once
// Module texts hold one byte per character (Latin-1); the host prints UTF-8.

#include <string>

std::string Latin1ToUtf8(const std::string& Text);
// Module text fit for a terminal: its control characters, which would drive
// the terminal, made "?", then UTF-8.
std::string TerminalText(const std::string& Latin1);
// A path fit for a terminal: the user's own text, UTF-8 or not, kept but for
// its control characters, made "?".
std::string TerminalPath(const std::string& Path);
// A line of the song message without the spaces that pad it.
std::string WithoutPadding(const std::string& Line);
// The names of a table's rows (each with a Name), "a, b, c": for help texts and errors.
template <class TRows> std::string NameList(const TRows& Rows)
{
    std::string names;
    for (const auto& row : Rows) {
        names += (names.empty() ? "" : ", ") + std::string(row.Name);
    }
    return names;
}
// A JSON string literal (quotes included) of a Latin-1 text.
std::string JsonString(const std::string& Text);
