#pragma once
// Identifiers of the plug-in's Windows resources, shared by the resource
// scripts and the code that loads them.

#define MORVEL_SONG_INFO_ICON 100

// The sound settings dialog (ConfigDialog.rc), its caption and its controls.
#define MORVEL_CONFIG_DIALOG 200
#define MORVEL_CONFIG_CAPTION "Morvel - Sound settings"
#define MORVEL_CONFIG_INTERPOLATION 201    // drop-down list: none, linear, cubic, sinc
#define MORVEL_CONFIG_RATE 202             // the offered rates, or one typed
#define MORVEL_CONFIG_SEPARATION 203       // slider, 0 to 200 percent
#define MORVEL_CONFIG_SEPARATION_TEXT 204  // the slider's percentage
#define MORVEL_CONFIG_CLICK_REMOVAL 205    // check box
#define MORVEL_CONFIG_DEFAULTS 206         // button: the defaults into the controls
