#pragma once
// Why a file cannot be played, in the words every command uses for it: the
// file system's reason (missing, permission denied, a folder) or, after a
// load, why the loader found no module in it.

#include <cstdio>
#include <string>

class TDmf;

// Why the file cannot be opened for a load; empty when it can.
std::string OpenProblem(const std::string& Path);

// Why a file whose load met no end block is no module, by the loader's rules:
// an empty file; a file that does not begin with a module block (text, random
// bytes: the loader skipped them as unknown blocks and ran off their end); or
// a module cut short (it begins with a module block, the header or another,
// and ends before its end block).
std::string NotAModuleReason(const std::string& Path);

// Loads the file into Song (the information load when InfoOnly, else the
// full one) and says why it is not playable: empty when it is a complete
// module. Nothing is thrown.
std::string LoadSongFile(TDmf& Song, const std::string& Path, bool InfoOnly);

// Why the file is no complete module, from the information load (which skips
// the sample data); empty when it is one. For a command that hands the file
// to the plug-in: it would take any file as a silent song of no length.
std::string ModuleFileProblem(const std::string& Path);

// The line every command writes for a file it refuses: "morvel: FILE: REASON".
void ReportRefusedFile(std::FILE* Err, const std::string& Path, const std::string& Reason);
