#pragma once
// Text in the system's wide characters (UTF-16 on Windows, UTF-32 elsewhere),
// as the host's wide entry points pass file names and take answers.

#include <string>

// The text in UTF-8; a code unit that is no character (an unpaired surrogate,
// a value past U+10FFFF) becomes U+FFFD.
std::string PlatformWideToUtf8(const std::wstring& Text);

// 8-bit text as the host's narrow entry points read it, in wide characters:
// on Windows in the system's ANSI code page, elsewhere as Latin-1 (how the
// morvel program reads a module's texts).
std::wstring PlatformNarrowToWide(const std::string& Text);
