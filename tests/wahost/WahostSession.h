#pragma once
// What every test of the Windows host shares: the command line's settings
// and the one main window with its UI thread, made by main before the tests.

#include <string>

#include "tests/wahost/HostMainWindow.h"

struct TWahostOptions {
    std::string Plugin = "plugins/in_morvel.dll";  // the DLL under the name Winamp loads it by
    std::string ExampleSong;                       // empty: no whole-song comparison
    std::string ReferencePcm;                      // its raw PCM as a renderer wrote it
    std::string ReferenceFrom;                     // which renderer that was
    bool Display = true;                           // false: no top-level windows can be made
};

const TWahostOptions& Options();
THostMainWindow& MainWindow();
