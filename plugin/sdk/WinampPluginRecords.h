#pragma once
// The two records of Winamp's input-plug-in interface, field for field as the
// host lays them out (32-bit Windows: every field 4 bytes, C calling
// convention). The host owns Out_Module; In_Module is ours, filled by
// winampGetInModule2 and completed by the host with its own functions.

#include <cstdint>

#include "platform/PlatformHandles.h"

// Posted to the host's main window (wParam 0, lParam 0) once playback of a
// file has ended: the host then applies its playlist rules (next entry,
// repeat, stop after the current one, stop at the end of the list).
inline constexpr unsigned WM_WA_MPEG_EOF = 0x0400 + 2;  // WM_USER + 2

// Sent to the host's main window (Winamp 2.9 and later) with wParam 0 and
// lParam IPC_GETINIFILE, it answers the full path of its settings file,
// winamp.ini (or the one of the user's profile), as a char*; an earlier host
// answers 0, and its settings file is winamp.ini beside its program.
inline constexpr unsigned WM_WA_IPC = 0x0400;  // WM_USER
inline constexpr intptr_t IPC_GETINIFILE = 334;

// The record version the host expects of an input plug-in.
inline constexpr int InModuleVersion = 0x100;

struct Out_Module {
    int version;
    char* description;
    int id;
    HWND hMainWindow;
    HINSTANCE hDllInstance;
    void (*Config)(HWND hwndParent);
    void (*About)(HWND hwndParent);
    void (*Init)();
    void (*Quit)();
    // Returns the output's maximum latency in milliseconds (negative on failure).
    int (*Open)(int samplerate, int numchannels, int bitspersamp, int bufferlenms, int prebufferms);
    void (*Close)();
    int (*Write)(char* buf, int len);
    int (*CanWrite)();   // bytes that Write takes now without blocking
    int (*IsPlaying)();  // non-zero while written audio still sounds
    int (*Pause)(int pause);
    void (*SetVolume)(int volume);  // 0..255; -666 keeps the current volume
    void (*SetPan)(int pan);        // -128..128
    void (*Flush)(int t);           // drop what is held, go on from time t (ms)
    int (*GetOutputTime)();         // ms played
    int (*GetWrittenTime)();        // ms written
};

struct In_Module {
    int version;
    char* description;
    HWND hMainWindow;
    HINSTANCE hDllInstance;
    char* FileExtensions;  // "ext\0description\0" pairs, ended by one more NUL
    int is_seekable;
    int UsesOutputPlug;
    void (*Config)(HWND hwndParent);
    void (*About)(HWND hwndParent);
    void (*Init)();
    void (*Quit)();
    void (*GetFileInfo)(const char* file, char* title, int* length_in_ms);
    int (*InfoBox)(const char* file, HWND hwndParent);
    int (*IsOurFile)(const char* fn);
    int (*Play)(const char* fn);  // 0 playing; -1 cannot play this file
    void (*Pause)();
    void (*UnPause)();
    int (*IsPaused)();
    void (*Stop)();
    int (*GetLength)();
    int (*GetOutputTime)();
    void (*SetOutputTime)(int time_in_ms);
    void (*SetVolume)(int volume);
    void (*SetPan)(int pan);
    // Filled by the host:
    void (*SAVSAInit)(int maxlatency_in_ms, int srate);
    void (*SAVSADeInit)();
    void (*SAAddPCMData)(void* PCMData, int nch, int bps, int timestamp);
    int (*SAGetMode)();
    int (*SAAdd)(void* data, int timestamp, int csa);
    void (*VSAAddPCMData)(void* PCMData, int nch, int bps, int timestamp);
    int (*VSAGetMode)(int* specNch, int* waveNch);
    int (*VSAAdd)(void* data, int timestamp);
    void (*VSASetInfo)(int srate, int nch);
    int (*dsp_isactive)();
    int (*dsp_dosamples)(short* samples, int numsamples, int bps, int nch, int srate);
    void (*EQSet)(int on, char data[10], int preamp);  // ours
    void (*SetInfo)(int bitrate, int srate, int stereo, int synched);
    Out_Module* outMod;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(In_Module) == 152, "In_Module must match the host's 32-bit layout");
static_assert(sizeof(Out_Module) == 80, "Out_Module must match the host's 32-bit layout");
#endif

// The one function the plug-in library exports.
extern "C" In_Module* winampGetInModule2();
using WinampGetInModule2Function = In_Module* (*)();
