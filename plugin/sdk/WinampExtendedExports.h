#pragma once
// The optional exports of an input plug-in that Winamp 5 looks up in its DLL
// by name (with the host's own parameter names), and calls from threads of its
// own for files other than the one playing:
//   extended file information  the song's details by field name, for the media
//                              library, the playlist and title formatting;
//   extended read              the song decoded to PCM without playing it, for
//                              the format converter, the ReplayGain analyser
//                              and the CD burner; any number of handles at once.

#include <cstddef>
#include <cstdint>

extern "C" {
// The text of a field (its name matched without regard to case) of the file fn:
// 1 when dest was filled with a terminated string of at most destlen
// characters, 0 when the field is unknown or has no value (dest untouched).
int winampGetExtendedFileInfo(const char* fn, const char* field, char* dest, int destlen);
int winampGetExtendedFileInfoW(const wchar_t* fn, const char* field, wchar_t* dest, int destlen);

// A decoder of the file fn: its handle (0: none was made, nothing is open),
// the total bytes of its PCM (size; -1 when unknown) and the PCM's format.
intptr_t winampGetExtendedRead_open(const char* fn, int* size, int* bps, int* nch, int* srate);
intptr_t winampGetExtendedRead_openW(const wchar_t* fn, int* size, int* bps, int* nch, int* srate);
// Up to len bytes of PCM into dest; 0 at the end. Returns promptly once
// *killswitch (set by another thread) becomes non-zero.
size_t winampGetExtendedRead_getData(intptr_t handle, char* dest, size_t len, int* killswitch);
// Moves the decoder to ms: 1 when done.
int winampGetExtendedRead_setTime(intptr_t handle, int ms);
void winampGetExtendedRead_close(intptr_t handle);
}

using WinampGetExtendedFileInfoFunction = int (*)(const char*, const char*, char*, int);
using WinampGetExtendedFileInfoWFunction = int (*)(const wchar_t*, const char*, wchar_t*, int);
using WinampGetExtendedReadOpenFunction = intptr_t (*)(const char*, int*, int*, int*, int*);
using WinampGetExtendedReadOpenWFunction = intptr_t (*)(const wchar_t*, int*, int*, int*, int*);
using WinampGetExtendedReadGetDataFunction = size_t (*)(intptr_t, char*, size_t, int*);
using WinampGetExtendedReadSetTimeFunction = int (*)(intptr_t, int);
using WinampGetExtendedReadCloseFunction = void (*)(intptr_t);
