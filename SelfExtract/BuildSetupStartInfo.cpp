#include "BuildSetupStartInfo.h"

#include <string>

#include "sfx/SetupCommandLine.h"

namespace {

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, length < MAX_PATH ? length : 0);
}

}  // namespace

SetupStartInfo BuildSetupStartInfo(HWND window, const sfx::SfxSettings& settings,
                                   const wchar_t* commandLine) {
    const std::wstring systemFolder = SystemFolder();
    sfx::SetupCommandContext context;
    context.stubCommandLine = commandLine != nullptr ? commandLine : ::GetCommandLineW();
    context.systemFolder = systemFolder;
    context.isFile = IsExistingFile;
    sfx::SetupCommand command = sfx::BuildSetupCommand(settings, context);

    SetupStartInfo info;
    info.window = window;
    info.extractDir = settings.extractDir;
    info.valuesFile = std::move(command.valuesFile);
    info.setupFile = std::move(command.file);
    info.params = std::move(command.params);
    info.show = settings.setupShow;
    return info;
}
