#pragma once
// UTF-8 text on a terminal: how many columns it takes and how it is shortened
// to fit, never inside a character. East Asian wide characters take two
// columns, combining marks none, a byte that is no valid UTF-8 one.

#include <cstdio>
#include <string>

// The width in columns of the terminal Stream writes to; 80 when it cannot tell.
int TerminalWidth(std::FILE* Stream);

int TextColumns(const std::string& Utf8);
// The longest start of the text that takes at most Columns.
std::string FirstColumns(const std::string& Utf8, int Columns);
// The longest end of the text that takes at most Columns.
std::string LastColumns(const std::string& Utf8, int Columns);
// The text when it fits in Columns; otherwise its start (KeepEnd false) or
// its end (true) marked "..." where it was cut, in Columns at most.
std::string ShortenToColumns(const std::string& Utf8, int Columns, bool KeepEnd = false);
