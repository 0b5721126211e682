// The command line every command shares: options anywhere before "--", help
// and version, usage errors, help texts that fit 80 columns, and a manual
// page that lists every command, option and key.

#include <gtest/gtest.h>

#include <sstream>

#include "host/HostInfo.h"
#include "host/HostOptions.h"
#include "host/HostProgram.h"
#include "host/play/HostPlayKeys.h"
#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"

#ifndef _WIN32
#include "host/play/HostPluginLibrary.h"
#endif

namespace {

const std::string ExampleSong = MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf";

int RunProgramWith(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err)
{
    return RunProgram(Args, Out, Err);
}

TCommandRun Morvel(const std::vector<std::string>& Args)
{
    return RunCommand(&RunProgramWith, Args);
}

constexpr THostOption TestOptions[] = {
    {"--output", 'o', "OUT", "where"},
    {"--force", 'f', nullptr, "replace"},
    {"--raw", 0, nullptr, "raw"},
};

THostArgs Parse(const std::vector<std::string>& Args, std::string* Error = nullptr)
{
    THostArgs parsed;
    std::string error;
    const bool ok = ParseHostArgs(Args, TestOptions, parsed, error);
    EXPECT_EQ(ok, error.empty());
    if (Error) {
        *Error = error;
    }
    return parsed;
}

TEST(HostOptions, OptionsStandAnywhereBeforeTheEndOfOptions)
{
    const THostArgs parsed = Parse({"a", "-f", "b", "--output", "x", "-", "--raw", "--", "-o", "--", "c"});
    EXPECT_EQ(parsed.Operands, (std::vector<std::string>{"a", "b", "-", "-o", "--", "c"}));
    EXPECT_TRUE(parsed.Has("--force"));
    EXPECT_TRUE(parsed.Has("--raw"));
    EXPECT_EQ(parsed.Value("--output"), "x");
    // Joined values, the last one counting; a value may look like an option.
    EXPECT_EQ(Parse({"--output=one", "-otwo"}).Value("--output"), "two");
    EXPECT_EQ(Parse({"-o", "-"}).Value("--output"), "-");
    EXPECT_EQ(Parse({"-o", "--raw"}).Value("--output"), "--raw");
    EXPECT_EQ(Parse({"a"}).Value("--output", "default"), "default");
}

TEST(HostOptions, WhatDoesNotFitIsNamed)
{
    std::string error;
    Parse({"a", "--help"}, &error);
    EXPECT_EQ(error, "unknown option --help");
    Parse({"--out=x"}, &error);
    EXPECT_EQ(error, "unknown option --out");
    Parse({"-x"}, &error);
    EXPECT_EQ(error, "unknown option -x");
    Parse({"a", "-o"}, &error);
    EXPECT_EQ(error, "option -o needs a value (OUT)");
    Parse({"--output="}, &error);
    EXPECT_EQ(error, "option --output needs a value (OUT), not an empty one");
    Parse({"--force=yes"}, &error);
    EXPECT_EQ(error, "option --force takes no value");
    Parse({"-fo"}, &error);
    EXPECT_EQ(error, "option -f takes no value");
}

TEST(HostProgram, VersionIsTheProjectsAndThePlugInsToo)
{
    for (const char* option : {"--version", "-V"}) {
        const TCommandRun run = Morvel({option});
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out, std::string("morvel ") + MORVEL_VERSION + "\n");
        EXPECT_EQ(run.Err, "");
    }
#ifndef _WIN32
    // The plug-in describes itself with the same version.
    TPluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Load(MORVEL_PLUGIN_LIBRARY, error)) << error;
    const std::string description = library.Module()->description;
    EXPECT_EQ(description.substr(description.rfind(' ') + 1), MORVEL_VERSION) << description;
#endif
}

TEST(HostProgram, EveryCommandHasItsHelpAndRejectsWhatItDoesNotKnow)
{
    for (const THostCommand* command : HostCommands()) {
        SCOPED_TRACE(command->Name);
        const std::string usage = "usage: morvel " + std::string(command->Name) + " [OPTION...] FILE...\n";
        for (const std::vector<std::string>& args : {std::vector<std::string>{command->Name, "--help"},
                                                     {command->Name, ExampleSong, "-h"},
                                                     {"help", command->Name}}) {
            const TCommandRun help = Morvel(args);
            EXPECT_EQ(help.Status, 0);
            EXPECT_EQ(help.Err, "");
            EXPECT_EQ(help.Out, CommandHelp(*command));
            EXPECT_EQ(help.Out.rfind(usage, 0), 0u) << help.Out;
            for (const THostOption& option : command->Options) {
                EXPECT_NE(help.Out.find(option.Long), std::string::npos) << option.Long;
            }
        }
        for (const std::vector<std::string>& args : {std::vector<std::string>{command->Name, ExampleSong, "--bogus"},
                                                     {command->Name, "-Z", ExampleSong},
                                                     {command->Name}}) {
            const TCommandRun wrong = Morvel(args);
            EXPECT_EQ(wrong.Status, 2);
            EXPECT_EQ(wrong.Out, "");
            EXPECT_NE(wrong.Err.find("morvel " + std::string(command->Name) + ": "), std::string::npos) << wrong.Err;
            EXPECT_NE(wrong.Err.find(usage), std::string::npos) << wrong.Err;
        }
    }
    // Once "info --help" was read as a file's name.
    EXPECT_EQ(Morvel({"info", "--", "--help"}).Err, "morvel: --help: no such file\n");

    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"--bogus", "info"}, {"nothing"}}) {
        const TCommandRun wrong = Morvel(args);
        EXPECT_EQ(wrong.Status, 2);
        EXPECT_EQ(wrong.Out, "");
        EXPECT_NE(wrong.Err.find("usage: morvel "), std::string::npos) << wrong.Err;
    }
    for (const char* option : {"--help", "-h", "help"}) {
        const TCommandRun help = Morvel({option});
        EXPECT_EQ(help.Status, 0);
        EXPECT_EQ(help.Out, ProgramHelp());
    }
}

TEST(HostProgram, NoHelpLineIsWiderThanEightyColumns)
{
    std::vector<std::string> texts = {ProgramHelp()};
    for (const THostCommand* command : HostCommands()) {
        texts.push_back(CommandHelp(*command));
    }
    for (const std::string& text : texts) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(line.size(), HelpColumns) << line;
        }
        EXPECT_EQ(text.back(), '\n');
    }
    // Wrapping: at spaces, with the indent, a word too long for a line alone on one.
    EXPECT_EQ(WrapText("aaa bbb ccc", 2, 8), "  aaa\n  bbb\n  ccc\n");
    EXPECT_EQ(WrapText("aaa bbb ccc", 2, 9), "  aaa bbb\n  ccc\n");
    EXPECT_EQ(WrapText("aaa bb c", 2, 9), "  aaa bb\n  c\n");
    EXPECT_EQ(WrapText("a verylongword b", 2, 8), "  a\n  verylongword\n  b\n");
}

TEST(HostProgram, TheManualPageListsEveryCommandOptionAndKey)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(MORVEL_TEST_DATA "/../../docs/morvel.1");
    ASSERT_FALSE(bytes.empty());
    std::string page(bytes.begin(), bytes.end());
    // As the reader sees it: "\-" is a minus.
    for (size_t at; (at = page.find("\\-")) != std::string::npos;) {
        page.erase(at, 1);
    }
    for (const char* section : {".SH NAME", ".SH SYNOPSIS", ".SH DESCRIPTION", ".SH COMMANDS", ".SH OPTIONS",
                                ".SH KEYS", ".SH EXIT STATUS", ".SH FILES", ".SH ENVIRONMENT"}) {
        EXPECT_NE(page.find(section), std::string::npos) << section;
    }
    for (const THostCommand* command : HostCommands()) {
        EXPECT_NE(page.find(".B " + std::string(command->Name) + "\n"), std::string::npos) << command->Name;
        for (const THostOption& option : command->Options) {
            EXPECT_NE(page.find(option.Long), std::string::npos) << option.Long;
            if (option.Short) {
                const std::string both = std::string(".BR -") + option.Short + " \", \" " + option.Long;
                EXPECT_NE(page.find(both), std::string::npos) << both;
            }
        }
    }
    for (const TPlayKey& key : PlayKeys) {
        const std::string entry = ".B " + std::string(key.Keys) + "\n" + key.Action + "\n";
        EXPECT_NE(page.find(entry), std::string::npos) << key.Keys;
    }
    for (const char* words : {"XDG_STATE_HOME", "mrvldebug.txt", "libmorvel_plugin.so", "--version", "--log"}) {
        EXPECT_NE(page.find(words), std::string::npos) << words;
    }
}

}  // namespace
