// morvel-wahost: loads the plug-in's DLL as Winamp does and runs the
// scenarios against it.
//
//   morvel-wahost [GTEST OPTIONS] [--plugin=DLL] [--example=SONG
//                 --reference=PCM --reference-from=TEXT] [--no-display]

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "tests/wahost/WahostSession.h"

namespace {

TWahostOptions SessionOptions;
THostMainWindow* SessionWindow = nullptr;

bool TakeOption(const char* Argument, const char* Name, std::string& Value)
{
    const size_t length = std::strlen(Name);
    if (std::strncmp(Argument, Name, length) != 0 || Argument[length] != '=') {
        return false;
    }
    Value = Argument + length + 1;
    return true;
}

}  // namespace

const TWahostOptions& Options()
{
    return SessionOptions;
}

THostMainWindow& MainWindow()
{
    return *SessionWindow;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--no-display") == 0) {
            SessionOptions.Display = false;
        } else if (!TakeOption(argument, "--plugin", SessionOptions.Plugin) &&
                   !TakeOption(argument, "--example", SessionOptions.ExampleSong) &&
                   !TakeOption(argument, "--reference", SessionOptions.ReferencePcm) &&
                   !TakeOption(argument, "--reference-from", SessionOptions.ReferenceFrom)) {
            std::fprintf(stderr, "morvel-wahost: unknown argument %s\n", argument);
            return 2;
        }
    }
    if (!SessionOptions.Display) {
        std::printf("morvel-wahost: no display; the main window is message-only and the window checks are skipped\n");
    }
    auto window = std::make_unique<THostMainWindow>(SessionOptions.Display);
    SessionWindow = window.get();
    const int result = RUN_ALL_TESTS();
    SessionWindow = nullptr;
    window.reset();
    return result;
}
