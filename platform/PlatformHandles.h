#pragma once
// Window and library handles as the system passes them: Windows' own types
// there, and natively opaque pointers of the same shape, so that code written
// against them builds on both.

#ifdef _WIN32
#include <windows.h>
#else
using HWND = struct HWND__*;
using HINSTANCE = struct HINSTANCE__*;
#endif
