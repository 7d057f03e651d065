#include "App.h"

#include <commctrl.h>
#include <objbase.h>
#include <windows.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <stdexcept>

#include "ReadConfigBlock.h"
#include "common/setup/CommonSetupLogger.h"
#include "common/setup/MessageBoxLog.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/errors/FormatErrorText.h"
#include "sfx/BuiltInStringLoader.h"
#include "sfx/CommandLine.h"
#include "sfx/MessageBoxRouting.h"

namespace {

constexpr wchar_t kMain[] = L"main";

// The full path of the running executable, or empty when it does not fit.
std::wstring ExecutablePath() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::wstring(buffer, length);
}

std::vector<std::wstring> ProgramArguments() {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < __argc; ++i) arguments.emplace_back(__wargv[i]);
    return arguments;
}

}  // namespace

CApp::CApp() : fw::CWinApp(L"Setup Self-Extractor") {}

BOOL CApp::InitInstance() {
    std::setlocale(LC_ALL, "");
    std::srand(static_cast<unsigned>(std::time(nullptr)) ^ static_cast<unsigned>(::GetCurrentProcessId()));

    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);

    fw::CWinApp::InitInstance();
    comInitialized_ = SUCCEEDED(::CoInitialize(nullptr));

    if (!SetCulture(L"")) {
        exitCode = sfx::exit_code::kStringTablesFailed;
        return FALSE;
    }
    if (!ApplyCommandLine(ProgramArguments())) return FALSE;
    if (!ReadConfiguration(ExecutablePath())) return FALSE;

    // Language choice, the package check, the extraction folder and the
    // extraction itself come in later builds of the stub.
    KVMSI_LOG(kvmsi::Severity::Info) << L"Extraction is not available in this build.";
    exitCode = sfx::exit_code::kSuccess;
    return FALSE;
}

int CApp::ExitInstance() {
    if (comInitialized_) {
        ::CoUninitialize();
        comInitialized_ = false;
    }
    fw::CWinApp::ExitInstance();
    return exitCode;
}

int CApp::DoMessageBox(const std::wstring& text, UINT type, UINT helpId) {
    kvmsi::LogMessageBoxRequest(text, type);
    switch (sfx::RouteMessageBox(uiLevel, type)) {
        case sfx::MessageBoxRoute::SkipSilent:
            kvmsi::LogMessageBoxSkippedSilent(type);
            return 0;
        case sfx::MessageBoxRoute::SkipNotNormal:
            kvmsi::LogMessageBoxSkippedNotNormal(type);
            return 0;
        case sfx::MessageBoxRoute::Show:
            break;
    }
    // No owner: the box stands on its own, captioned with the application name.
    const int result = ::MessageBoxW(nullptr, text.c_str(), GetAppName().c_str(), type);
    (void)helpId;
    kvmsi::LogMessageBoxResult(type, result);
    return result;
}

bool CApp::SetCulture(const std::wstring& newCulture) {
    if (!strings.GetLoaders().empty() && newCulture == culture) return true;
    culture = newCulture;
    try {
        strings.ClearLoaders();
        strings.AddLoader(std::make_shared<sfx::BuiltInStringLoader>());
        strings.Load(newCulture);
        if (!newCulture.empty()) {
            const std::wstring section = L"LANG_" + newCulture;
            const std::wstring languageProductName = config.GetValue(section, L"ProductName", L"");
            if (!languageProductName.empty()) {
                productName = languageProductName;
                SetAppName(productName);
            }
            strings.SetProperty(L"ProductName", productName);
            const struct {
                const wchar_t* key;
                const wchar_t* stringId;
            } overrides[] = {{L"ProgressTitle", L"SfxProgressTitle"},
                             {L"ProgressText", L"SfxProgressText"},
                             {L"StartSetup", L"StartSetup"}};
            for (const auto& item : overrides) {
                const std::wstring text = config.GetValue(section, item.key, L"");
                if (!text.empty()) strings.SetString(item.stringId, text);
            }
        }
        return true;
    } catch (...) {
        DoMessageBox(L"Could not load string resources.\n" + riviru::ExceptionDetails(0), MB_ICONERROR, 0);
        return false;
    }
}

bool CApp::ApplyCommandLine(const std::vector<std::wstring>& arguments) {
    sfx::CommandLineOptions line = sfx::ParseCommandLine(arguments);
    if (line.showHelp) {
        ShowHelp();
        exitCode = sfx::exit_code::kSuccess;
        return false;
    }
    extractOnly = line.extractOnly;
    extractDir = std::move(line.extractDir);
    uiLevel = line.uiLevel;
    requestedCulture = std::move(line.requestedCulture);
    archivePath = std::move(line.archivePath);
    overwriteAnswer = line.overwriteAnswer;
    callerGivesValuesFile = line.callerGivesValuesFile;
    return true;
}

void CApp::ShowHelp() {
    // The help is shown at every user-interface level: it is what /? asks for.
    ::MessageBoxW(nullptr, strings.GetString(L"SfxCommandLineHelp").c_str(),
                  strings.GetString(L"SfxAppTitle").c_str(), MB_OK | MB_ICONINFORMATION);
}

bool CApp::ReadConfiguration(const std::wstring& executablePath) {
    std::wstring text;
    const riviru::HResult hr = ReadConfigBlock(executablePath, text);
    if (hr != riviru::kOk) {
        const std::wstring message = hr == riviru::kInvalidData
                                         ? strings.GetString(L"SfxErrorBadArchive")
                                         : riviru::FormatErrorText(hr) + L"\n\n" + executablePath;
        DoMessageBox(message, MB_ICONERROR, 0);
        exitCode = sfx::exit_code::kBadPackage;
        return false;
    }
    config.Parse(text);
    ApplyStartupValues();
    return true;
}

void CApp::ApplyStartupValues() {
    productName = config.GetValue(kMain, L"ProductName", L"");
    SetAppName(productName);
    showLanguageDialog = config.GetInt(kMain, L"ShowUnzipLanguageDlg", 1) == 1;
    if (!extractOnly && config.GetInt(kMain, L"ExtractOnly", 0) != 0) {
        extractOnly = true;
        extractOnlyFromConfig = true;
        // The configured default folder is offered only when it exists; the
        // folder placeholders are filled in once the folder properties exist.
        const DWORD attributes =
            ::GetFileAttributesW(config.GetValue(kMain, L"DefaultExtractDir", L"[PersonalFolder]").c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            extractDir = config.GetValue(kMain, L"DefaultExtractDir", L"[PersonalFolder]");
        }
    }
    if (!extractOnly && uiLevel == sfx::UiLevel::Normal && config.GetInt(kMain, L"SfxProgressVisible", 1) == 0) {
        uiLevel = sfx::UiLevel::Qm;
    }
}
