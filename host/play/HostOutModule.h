#pragma once
// The Out_Module record a host hands to an input plug-in, its functions bound
// to one output of morvel play. The record's functions take no context, so
// there is one binding per process; binding again moves it to the new output.

#include "plugin/sdk/WinampPluginRecords.h"

class THostOutput;

// The record, with its window and library handle as given.
Out_Module* BindOutModule(THostOutput& Output, HWND MainWindow, HINSTANCE Instance);
// Detaches the record: its functions do nothing and report an idle output.
void UnbindOutModule();
