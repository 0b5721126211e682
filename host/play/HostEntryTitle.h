#pragma once
// The title morvel play shows for a playlist entry.

#include <string>

// From the plug-in's title (song name " - " composer, Latin-1) and the file's
// path: UTF-8 without control characters, which would drive the terminal.
// A song without a name is named by its file ("song.dmf - composer", or the
// file's name alone when there is no composer either).
std::string EntryTitle(const std::string& PluginTitle, const std::string& Path);
