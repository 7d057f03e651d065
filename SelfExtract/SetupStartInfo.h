// What the progress dialog gives the setup worker: the program to start,
// its parameters and the folder to remove afterwards.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

struct SetupStartInfo {
    HWND window = nullptr;    // the progress dialog; receives WM_SFX_HIDE and WM_SFX_SETUP_DONE
    std::wstring extractDir;  // removed with its contents after the setup ended; empty: nothing removed
    std::wstring valuesFile;  // SetupValues.dat to write before the start; empty: no values forwarded
    std::wstring setupFile;   // the program or package that is started
    std::wstring params;      // its complete parameter text
    std::int32_t show = SW_SHOWNORMAL;  // show command for the started program
};
