// The setup's command line: which file is started (the setup program, or
// msiexec.exe for a Windows Installer package) and with which parameters,
// from the run settings and the stub's own command line.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "sfx/SfxSettings.h"

namespace sfx {

struct SetupCommand {
    std::wstring file;        // the program to start
    std::wstring params;      // its complete parameter text
    std::wstring valuesFile;  // the values file the stub writes for the setup; empty for none
};

// What the system is asked while the command is built.
struct SetupCommandContext {
    std::wstring_view stubCommandLine;  // the stub's whole command line, program name first
    std::wstring_view systemFolder;     // the system directory (msiexec.exe lives there)
    // True when the path names an existing file that is not a directory.
    std::function<bool(const std::wstring& path)> isFile;
};

// A relative setupFile is looked for in extractDir and then in its subfolder
// "product"; an absolute one is used as it is. A .msi or .ms_ package is
// started as msiexec.exe /i <package> from systemFolder and gets no values
// file. Otherwise, with forwardResourceData, the parameters begin with
// -m <values file> (unless the caller gives that file itself) and, for a
// multilingual package whose language dialog is on, /l <culture>; then
// setupParams and the stub's own arguments follow as they are.
SetupCommand BuildSetupCommand(const SfxSettings& settings, const SetupCommandContext& context);

// The stub's arguments: after the closing quotation mark plus one character
// when the command line begins with a quotation mark, else after the first
// blank; empty when there is nothing there.
std::wstring CommandLineTail(std::wstring_view commandLine);

}  // namespace sfx
