#include "riviru/shell/StartProcess.h"

#include <shellapi.h>

#include <string>

#include "riviru/shell/CommandLineText.h"

namespace riviru {
namespace {

bool IsBeforeVista() noexcept {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(&version)) return false;
    return version.dwMajorVersion < 6;
}

bool StartWithCreateProcess(const wchar_t* program, const wchar_t* parameters, ProcessInformation* info,
                            const wchar_t* workingFolder, int show) {
    // The path is always quoted, so a program in a folder with blanks is not
    // mistaken for a shorter one.
    std::wstring commandLine = L"\"";
    commandLine += program;
    commandLine += L'"';
    if (parameters != nullptr) {
        commandLine += L' ';
        commandLine += parameters;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workingFolder,
                          &startup, &process))
        return false;
    if (info != nullptr) {
        *info = process;
    } else {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    return true;
}

bool StartWithShell(HWND owner, const wchar_t* program, const wchar_t* parameters, ProcessInformation* info,
                    const wchar_t* workingFolder, int show, bool elevated) {
    if (info != nullptr) *info = ProcessInformation{};
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_FLAG_NO_UI | (info != nullptr ? SEE_MASK_NOCLOSEPROCESS : 0);
    execute.hwnd = owner;
    execute.lpVerb = elevated ? L"runas" : L"open";
    execute.lpFile = program;
    execute.lpParameters = parameters;
    execute.lpDirectory = workingFolder;
    execute.nShow = show;
    if (!::ShellExecuteExW(&execute)) return false;
    if (info != nullptr) info->hProcess = execute.hProcess;
    return true;
}

}  // namespace

bool StartProcess(HWND owner, const wchar_t* program, const wchar_t* parameters, ProcessInformation* info,
                  const wchar_t* workingFolder, int show, std::uint32_t mode) {
    std::wstring folder;
    if (workingFolder == nullptr && !IsRelativePath(program)) {
        folder = GetFolderPart(program);
        if (!folder.empty()) workingFolder = folder.c_str();
    }
    if ((mode & UseCreateProcess) != 0 || ((mode & UseShellExecute) == 0 && IsBeforeVista()))
        return StartWithCreateProcess(program, parameters, info, workingFolder, show);
    return StartWithShell(owner, program, parameters, info, workingFolder, show, (mode & RunElevated) != 0);
}

}  // namespace riviru
