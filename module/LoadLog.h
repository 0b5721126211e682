#pragma once
// Diagnostic log of module loading and the number formatters its lines use.

#include <cstdint>
#include <cstdio>
#include <string>

// Name of the log file; the folder it is in is LogFilePath's (LoadLogPath.h).
inline constexpr const char* LogFileName = "mrvldebug.txt";

// Writes Message to standard output, then appends "[date time] Message" and
// CR LF to the log file (opened and closed for each entry; its folder made
// when missing). Every failure is ignored: a lost entry never stops a load.
// Any thread may log: each entry is written whole, never between another's.
void DebugLog(const std::string& Message);

// Where DebugLog echoes its messages: standard output unless changed; null
// silences the echo (a host that writes audio to standard output uses this).
void SetDebugLogConsole(std::FILE* Console);
std::FILE* DebugLogConsole();

// 2 hex digits (low 8 bits) below 256, negative values included; 4 digits up
// to 65535; 8 digits above.
std::string HexVar(int32_t Value);

// Exactly 4 hex digits of the low 16 bits.
std::string Hex4(uint32_t Value);

// The 4 bytes of a block tag as a 4-character text.
std::string TagText(const uint8_t Tag[4]);
