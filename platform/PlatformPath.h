#pragma once
// How this system writes paths.

#ifdef _WIN32
// Either slash separates the folders of a path.
inline constexpr const char* PlatformPathSeparators = "\\/";
// The folder part of a full path ends at a separator or at a drive's colon ("C:name").
inline constexpr const char* PlatformFolderDelimiters = "\\/:";
#else
inline constexpr const char* PlatformPathSeparators = "/";
inline constexpr const char* PlatformFolderDelimiters = "/";
#endif
