#!/usr/bin/env python3
"""Checks the map of the tree (docs/architecture.md) against its sources:

- every C++ source of the product lies in a folder the floors place;
- it includes only from the folders its own folder may use: the engine never
  reaches into the plug-in or the programs, a decoder stage never into the
  decoder's face, the operating-system layer into nothing of ours, and
  morvel play of the engine only into the few headers named below;
- only platform/ talks to the operating system: no branch on _WIN32 and no
  system header elsewhere, but in a Windows-only body (named ...Win32.cpp) and
  in the bodies of morvel play's sound devices (host/play/Host*Output.cpp).

tests/, bench/ and fuzz/ stand beside the floors and may include anything.
Prints each fault, naming the file and line, and fails; usage:
IncludeFloors.py ROOT"""
import fnmatch
import os
import pathlib
import re
import sys

ENGINE = {"player", "module", "mpeg", "mpeg/frame", "mpeg/layer12", "mpeg/layer3", "mpeg/synthesis"}
MPEG_STAGES = {"mpeg/frame", "mpeg/layer12", "mpeg/layer3", "mpeg/synthesis"}
# Folder -> the other folders it may include from. Its own is always allowed.
ALLOWED = {
    "platform": set(),
    "player": {"platform"},
    "module": {"player", "mpeg", "platform"},
    "mpeg": MPEG_STAGES | {"platform"},
    "mpeg/frame": {"platform"},
    "mpeg/layer12": {"mpeg/frame", "mpeg/synthesis", "platform"},
    "mpeg/layer3": {"mpeg/frame", "mpeg/synthesis", "platform"},
    "mpeg/synthesis": {"platform"},
    "plugin/sdk": {"platform"},
    "plugin/kit": {"plugin/sdk", "platform"},
    "plugin": ENGINE | {"plugin/kit", "plugin/sdk", "platform"},
    "host": ENGINE | {"platform"},
    "host/play": {"host", "plugin/sdk", "platform"},
    "tools": ENGINE | {"platform"},
}
# Single headers a folder may include beyond its folders: morvel play plays
# through the plug-in, and of the engine uses only the output format, its
# limits, the clock text, the sound settings and the file that keeps them
# (for the plug-in), and the loader's log.
ALLOWED_HEADERS = {
    "host/play": {"player/DmfOutputFormat.h", "player/DmfLimits.h", "player/DmfClockText.h", "player/DmfSoundSettings.h",
                  "player/DmfSoundSettingsFile.h", "module/LoadLog.h"},
}
# The two arrows let through on purpose: the song's operations write the
# loader's log, and the program lists its play command.
EXCEPTIONS = {("player", "module/LoadLog.h"), ("host", "host/play/HostPlay.h")}
FOLDERS_WITH_ROOMS = ("mpeg", "plugin", "host")
# Beside the floors, or no sources of the product at all.
NOT_PRODUCT = {"tests", "bench", "fuzz", "docs", "examples", "scripts", "cmake", "release"}
SOURCE_SUFFIXES = (".cpp", ".h", ".inc")

# Where the operating system may be called directly.
SYSTEM_FILES = ("platform/*", "*Win32.cpp", "host/play/Host*Output.cpp")
SYSTEM_HEADER = re.compile(
    r"(windows|win[a-z0-9_]*|mmsystem|mmreg|dsound|shlobj|shellapi|shlwapi|commctrl|commdlg|objbase|io|direct|"
    r"process|conio|unistd|dlfcn|signal|csignal|fcntl|termios|poll|pthread|sched|semaphore|spawn|dirent|pwd|grp|"
    r"netdb|syslog|link|execinfo)\.h|csignal|(sys|alsa|pulse|linux|asm|netinet|arpa|mach)/.*")
WIN32_BRANCH = re.compile(r"\s*#\s*(if|ifdef|ifndef|elif)\b.*\b_WIN32\b")


def folder_of(path):
    parts = path.split("/")
    if parts[0] in FOLDERS_WITH_ROOMS and len(parts) > 2:
        return parts[0] + "/" + parts[1]
    if parts[0] == "tools":
        return "tools"
    return parts[0]


def sources_under(folder):
    """The sources below folder, build trees (with a CMakeCache.txt) left out."""
    for current, folders, files in os.walk(folder):
        if "CMakeCache.txt" in files:
            folders[:] = []
            continue
        folders[:] = sorted(f for f in folders if not f.startswith("."))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield pathlib.Path(current) / name


def includes_fault(own, relative, included):
    target = folder_of(included)
    if target == own or target in ALLOWED[own] or (own, included) in EXCEPTIONS:
        return None
    if included in ALLOWED_HEADERS.get(own, ()):
        return None
    return f"{own}/ may not include {included}"


def main():
    root = pathlib.Path(sys.argv[1])
    faults = []
    checked = 0
    for top in sorted(p.name for p in root.iterdir() if p.is_dir() and not p.name.startswith(".")):
        if top in NOT_PRODUCT:
            continue
        for source in sources_under(root / top):
            relative = source.relative_to(root).as_posix()
            own = folder_of(relative)
            if own not in ALLOWED:
                faults.append(f"{relative}: {own}/ is on no floor of the map")
                continue
            checked += 1
            may_call_system = any(fnmatch.fnmatchcase(relative, pattern) for pattern in SYSTEM_FILES)
            lines = source.read_text(errors="replace").splitlines()
            for line_no, line in enumerate(lines, start=1):
                where = f"{relative}:{line_no}: "
                if not may_call_system and WIN32_BRANCH.match(line):
                    faults.append(where + "branches on _WIN32 outside platform/")
                match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                if match and "/" in match.group(1):
                    fault = includes_fault(own, relative, match.group(1))
                    if fault:
                        faults.append(where + fault)
                match = re.match(r"\s*#\s*include\s+<([^>]+)>", line)
                if match and not may_call_system and SYSTEM_HEADER.fullmatch(match.group(1)):
                    faults.append(where + f"includes the system header <{match.group(1)}> outside platform/")
    if not faults:
        print(f"all {checked} sources of the product keep to their floors")
        return 0
    print("\n".join(faults))
    print(f"{len(faults)} faults against the map (docs/architecture.md)")
    return 1


if __name__ == "__main__":
    sys.exit(main())
