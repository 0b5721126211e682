#pragma once
// Identifiers of the plug-in's Windows resources, shared by the resource
// scripts and the code that loads them.

#define MORVEL_SONG_INFO_ICON 100
