#include "SetupThread.h"

#include <boost/exception/get_error_info.hpp>

#include "SetupValues.h"
#include "SfxMessages.h"
#include "riviru/io/FileException.h"
#include "riviru/io/RemoveFolderTree.h"
#include "riviru/shell/StartProcess.h"
#include "riviru/win/UniqueResource.h"

namespace {

bool HasExeExtension(const std::wstring& path) {
    const std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    std::wstring ext = path.substr(dot);
    for (wchar_t& c : ext) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return ext == L".exe";
}

}  // namespace

CSetupThread::~CSetupThread() {
    Stop(true);
}

bool CSetupThread::Begin(const SetupStartInfo& startInfo) {
    const HANDLE running = GetThreadHandle();
    if (running != nullptr && ::WaitForSingleObject(running, 0) == WAIT_TIMEOUT) return false;
    info = startInfo;
    return Start(0, 0, nullptr);
}

std::uint32_t CSetupThread::RunSetupAndWait() {
    const std::uint32_t mode = HasExeExtension(info.setupFile) ? 0u : std::uint32_t{riviru::UseShellExecute};
    riviru::ProcessInformation process{};
    if (!riviru::StartProcess(info.window, info.setupFile.c_str(), info.params.c_str(), &process, nullptr,
                              info.show, mode)) {
        const DWORD error = ::GetLastError();
        throw riviru::FileException("Could not start setup",
                                    std::error_code(static_cast<int>(error), std::system_category()))
            << riviru::tag_errinfo_path(boost::filesystem::path(info.setupFile))
            << boost::errinfo_api_function(mode == 0 ? "CreateProcess" : "ShellExecuteEx");
    }
    const riviru::win::unique_handle processHandle(process.hProcess);
    const riviru::win::unique_handle threadHandle(process.hThread);
    ::PostMessageW(info.window, WM_SFX_HIDE, 0, 0);

    DWORD exitCode = 0;
    if (processHandle) {
        ::WaitForSingleObject(processHandle.get(), INFINITE);
        if (!::GetExitCodeProcess(processHandle.get(), &exitCode)) exitCode = 0;
    }
    // The setup may have started programs that still hold files in the folder
    // for a moment after it ended.
    ::Sleep(1000);
    return exitCode;
}

std::uint32_t CSetupThread::Run() {
    errorText.clear();
    if (!info.valuesFile.empty()) {
        try {
            WriteSetupValues(info.valuesFile);
        } catch (...) {
            // The setup starts anyway; it finds fewer values or none.
        }
    }

    bool started = false;
    std::uint32_t result = 0;
    try {
        result = RunSetupAndWait();
        started = true;
    } catch (const riviru::FileException& e) {
        result = static_cast<std::uint32_t>(e.code().value());
        if (const boost::filesystem::path* path = boost::get_error_info<riviru::tag_errinfo_path>(e))
            errorText = path->wstring();
    }

    if (!info.extractDir.empty()) {
        riviru::RemoveFolderTree(info.extractDir, riviru::FolderRemoveFlags::RemoveRoot |
                                                      riviru::FolderRemoveFlags::Recurse |
                                                      riviru::FolderRemoveFlags::ClearReadOnly);
    }
    ::PostMessageW(info.window, WM_SFX_SETUP_DONE, static_cast<WPARAM>(result), started ? 1 : 0);
    return 0;
}
