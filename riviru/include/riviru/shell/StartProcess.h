// Starting a program plainly (CreateProcessW) or through the shell
// (ShellExecuteExW, optionally elevated) and handing its process back.
#pragma once
#include <windows.h>

#include <cstdint>

namespace riviru {

// Mode flags of StartProcess; 0 picks CreateProcessW before Windows Vista and
// the shell from Vista on.
enum StartProcessMode : std::uint32_t {
    UseCreateProcess = 1,  // always start with CreateProcessW
    UseShellExecute = 2,   // never use CreateProcessW
    RunElevated = 4,       // through the shell with the verb "runas" instead of "open"
};

// The started process as StartProcess gives it back; the caller owns the
// handles. A start through the shell fills in only the process handle.
using ProcessInformation = PROCESS_INFORMATION;

// Starts program with parameters (may be null). Without a workingFolder an
// absolute program path starts in its own folder and a relative one in the
// inherited current folder. With info the process (and, for CreateProcessW,
// thread) handle is given back; without it the handles are closed. False on
// failure with the thread's last error set by the system; nothing is thrown.
bool StartProcess(HWND owner, const wchar_t* program, const wchar_t* parameters, ProcessInformation* info,
                  const wchar_t* workingFolder, int show, std::uint32_t mode);

}  // namespace riviru
