#include <windows.h>

#include "App.h"

// The one application object of the process.
CApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return theApp.Run(instance); }
