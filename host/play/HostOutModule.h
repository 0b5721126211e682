#pragma once
// The Out_Module record a host hands to an input plug-in, its functions bound
// to one TAlsaOutput. The record's functions take no context, so there is one
// binding per process; binding again moves it to the new output.

#include "plugin/sdk/WinampPluginRecords.h"

class TAlsaOutput;

// The record, with its window and library handle as given.
Out_Module* BindOutModule(TAlsaOutput& Output, HWND MainWindow, HINSTANCE Instance);
// Detaches the record: its functions do nothing and report an idle output.
void UnbindOutModule();
