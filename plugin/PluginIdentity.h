#pragma once
// Who the plug-in says it is, wherever it says so: the host's list of input
// plug-ins, the extension list, the About box and the media library.

inline constexpr char PluginDescription[] = "Morvel - solvane dmf player 0.7.5";
// The one extension the plug-in claims, and the format's name beside it.
inline constexpr char ModuleExtension[] = "dmf";
inline constexpr char ModuleFamily[] = "Quorlith Digital Music File";
