#include <windows.h>

#include "App.h"
#include "riviru/win/SystemLibrary.h"

// The one application object of the process.
CApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything can load a DLL by name.
    riviru::win::RestrictDllSearchToSystemFolder();
    return theApp.Run(instance);
}
