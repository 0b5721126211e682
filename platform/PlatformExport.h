#pragma once
// Marks a function that a shared library exports (the Windows DLL's export
// table, or default visibility in an ELF library).

#ifdef _WIN32
#define MORVEL_EXPORT __declspec(dllexport)
#else
#define MORVEL_EXPORT __attribute__((visibility("default")))
#endif
