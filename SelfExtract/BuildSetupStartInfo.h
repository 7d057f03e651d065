// The setup worker's start information for the progress dialog, built from
// its settings, the file system and the stub's own command line.
#pragma once
#include <windows.h>

#include "SetupStartInfo.h"
#include "sfx/SfxSettings.h"

// window receives the worker's notifications; commandLine is the stub's own
// command line (GetCommandLineW when null).
SetupStartInfo BuildSetupStartInfo(HWND window, const sfx::SfxSettings& settings,
                                   const wchar_t* commandLine = nullptr);
