#pragma once
// Module texts hold one byte per character (Latin-1); the host prints UTF-8.

#include <string>

std::string Latin1ToUtf8(const std::string& Text);
// The text fit for a terminal: its control characters, which would drive
// the terminal, made "?", then UTF-8.
std::string TerminalText(const std::string& Latin1);
// A JSON string literal (quotes included) of a Latin-1 text.
std::string JsonString(const std::string& Text);
