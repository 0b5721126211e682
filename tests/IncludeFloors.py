#!/usr/bin/env python3
"""Checks that every C++ source of the product includes only from the folders
its own folder may use (docs/architecture.md): the engine never reaches into
the plug-in or the programs, a decoder stage never into the decoder's face,
the operating-system layer into nothing of ours. Prints each include that
crosses a floor and fails; usage: IncludeFloors.py ROOT"""
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
    "host/play": {"host", "player", "module", "plugin/sdk", "platform"},
    "tools": ENGINE | {"platform"},
}
# The two arrows let through on purpose: the song's operations write the
# loader's log, and the program lists its play command.
EXCEPTIONS = {("player", "module/LoadLog.h"), ("host", "host/play/HostPlay.h")}
FOLDERS_WITH_ROOMS = ("mpeg", "plugin", "host")


def folder_of(path):
    parts = path.split("/")
    if parts[0] in FOLDERS_WITH_ROOMS and len(parts) > 2:
        return parts[0] + "/" + parts[1]
    if parts[0] == "tools":
        return "tools"
    return parts[0]


def main():
    root = pathlib.Path(sys.argv[1])
    crossings = []
    for top in sorted({folder.split("/")[0] for folder in ALLOWED}):
        for source in sorted((root / top).rglob("*")):
            if source.suffix not in (".cpp", ".h", ".inc") or not source.is_file():
                continue
            relative = source.relative_to(root).as_posix()
            own = folder_of(relative)
            lines = source.read_text(errors="replace").splitlines()
            for line_no, line in enumerate(lines, start=1):
                match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                if not match or "/" not in match.group(1):
                    continue
                included = match.group(1)
                target = folder_of(included)
                if target == own or target in ALLOWED[own] or (own, included) in EXCEPTIONS:
                    continue
                crossings.append(f"{relative}:{line_no}: {own}/ may not include {included}")
    if not crossings:
        print("every include keeps to its floor")
        return 0
    print("\n".join(crossings))
    print(f"{len(crossings)} includes cross a floor (docs/architecture.md)")
    return 1


if __name__ == "__main__":
    sys.exit(main())
