#include "sfx/SetupCommandLine.h"

#include "riviru/shell/CommandLineText.h"
#include "sfx/ExtractFolder.h"

namespace sfx {
namespace {

bool IsWindowsInstallerPackage(std::wstring_view file) {
    const std::size_t dot = file.rfind(L'.');
    if (dot == std::wstring_view::npos) return false;
    std::wstring ext(file.substr(dot));
    for (wchar_t& c : ext) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return ext == L".msi" || ext == L".ms_";
}

}  // namespace

std::wstring CommandLineTail(std::wstring_view commandLine) {
    if (!commandLine.empty() && commandLine.front() == L'"') {
        // The character after the closing mark is the separating blank.
        const std::size_t closing = commandLine.find(L'"', 1);
        if (closing == std::wstring_view::npos || closing + 2 > commandLine.size()) return {};
        return std::wstring(commandLine.substr(closing + 2));
    }
    const std::size_t blank = commandLine.find(L' ');
    if (blank == std::wstring_view::npos) return {};
    return std::wstring(commandLine.substr(blank + 1));
}

SetupCommand BuildSetupCommand(const SfxSettings& settings, const SetupCommandContext& context) {
    SetupCommand command;
    const std::wstring& extractDir = settings.extractDir;
    if (riviru::IsRelativePath(settings.setupFile)) {
        command.file = JoinPath(extractDir, settings.setupFile);
        if (!context.isFile || !context.isFile(command.file))
            command.file = JoinPath(JoinPath(extractDir, L"product"), settings.setupFile);
    } else {
        command.file = settings.setupFile;
    }

    if (IsWindowsInstallerPackage(command.file)) {
        riviru::AppendArgument(command.params, L"/i");
        riviru::AppendArgument(command.params, command.file);
        command.file = JoinPath(context.systemFolder, L"msiexec.exe");
    } else if (settings.forwardResourceData) {
        if (!settings.callerGivesValuesFile) {
            command.valuesFile = JoinPath(extractDir, L"SetupValues.dat");
            riviru::AppendArgument(command.params, L"-m");
            riviru::AppendArgument(command.params, command.valuesFile);
        }
        if (settings.multilingual && settings.showLanguageDialog) {
            riviru::AppendArgument(command.params, L"/l");
            riviru::AppendArgument(command.params, settings.culture);
        }
    }

    if (!settings.setupParams.empty()) riviru::AppendRaw(command.params, settings.setupParams);
    const std::wstring tail = CommandLineTail(context.stubCommandLine);
    if (!tail.empty()) riviru::AppendRaw(command.params, tail);
    return command;
}

}  // namespace sfx
