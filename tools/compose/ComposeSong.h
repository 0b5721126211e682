#pragma once
// The example song "Morvel Demo": ten tracks, five patterns, every kind of
// sample storage and every effect the player knows.

#include "tools/writer/WriterSong.h"

TWriterSong ComposeExampleSong();
