#include "App.h"

#include <commctrl.h>
#include <objbase.h>
#include <windows.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>

#include "FreshExtractFolder.h"
#include "ReadConfigBlock.h"
#include "SelfExtractingDlg.h"
#include "UnzipLanguageDlg.h"
#include "VerifyPackage.h"
#include "common/setup/CommonSetupLogger.h"
#include "framework/OccManager.h"
#include "common/setup/MessageBoxLog.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/errors/FormatErrorText.h"
#include "riviru/localization/ExpandPlaceholders.h"
#include "riviru/localization/FolderProperties.h"
#include "riviru/localization/XmlStringResourcesLoader.h"
#include "riviru/ui/BigMessageBox.h"
#include "riviru/ui/BigMessageBoxFlags.h"
#include "riviru/ui/ShowBigMessageBox.h"
#include "riviru/win/Wow64.h"
#include "sfx/CommandLine.h"
#include "sfx/ExtractFolder.h"
#include "sfx/LanguageChoice.h"
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

// The current directory, read into 260 characters and once more with the
// reported length when it is longer; empty when it cannot be read.
std::wstring CurrentDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer.data());
    if (length >= MAX_PATH) {
        buffer.assign(length, L'\0');
        length = ::GetCurrentDirectoryW(length, buffer.data());
        if (length >= buffer.size()) return {};
    }
    buffer.resize(length);
    return buffer;
}

void ReplaceAll(std::wstring& text, std::wstring_view what, std::wstring_view with) {
    for (std::size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
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
    // Every dialog of the process gets the system's message font.
    fw::AfxEnableControlContainer(&fontManager_);

    if (!SetCulture(L"")) {
        exitCode = sfx::exit_code::kStringTablesFailed;
        return FALSE;
    }
    if (!ApplyCommandLine(ProgramArguments())) return FALSE;
    if (!ReadConfiguration(ExecutablePath())) return FALSE;
    if (!SelectCulture()) {
        exitCode = sfx::exit_code::kUserCancelled;
        return FALSE;
    }
    if (!CheckPackage()) return FALSE;
    if (!FixExtractFolder()) return FALSE;
    exitCode = RunProgressDialog(MakeSettings());
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
    // No owner: the box stands on its own, captioned with the application name,
    // and gets its own taskbar button while no main window is visible.
    std::uint32_t flags = riviru::Flash | riviru::GrowToText;
    const HWND mainWindow = GetMainWnd();
    if (mainWindow == nullptr || !::IsWindowVisible(mainWindow)) flags |= riviru::AppWindow;
    const int result =
        riviru::ShowBigMessageBox(nullptr, strings, GetAppName().c_str(), nullptr, text.c_str(), type, flags);
    (void)helpId;
    kvmsi::LogMessageBoxResult(type, result);
    return result;
}

bool CApp::SetCulture(const std::wstring& newCulture) {
    if (!strings.GetLoaders().empty() && newCulture == culture) return true;
    culture = newCulture;
    try {
        strings.ClearLoaders();
        strings.AddLoader(std::make_shared<riviru::XmlAppStringResourceLoader>());
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

bool CApp::SelectCulture() {
    const std::optional<sfx::LanguageChoice> choice = sfx::GetAvailableLanguages(config, requestedCulture);
    if (!choice) {
        // Without language sections the configuration names the culture;
        // the command-line culture plays no part then.
        SetCulture(config.GetValue(kMain, L"Culture", L""));
        return true;
    }
    multilingual = true;
    SetCulture(choice->defaultCulture);
    if (uiLevel == sfx::UiLevel::Normal && showLanguageDialog && requestedCulture.empty()) {
        CUnzipLanguageDlg dialog(nullptr, choice->cultures, choice->defaultCulture, strings);
        if (dialog.DoModal() != IDOK) return false;
        SetCulture(dialog.GetSelectedCulture());
    }
    return true;
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
    const std::wstring caption = strings.GetString(L"SfxAppTitle");
    const std::wstring help = strings.GetString(L"SfxCommandLineHelp");
    riviru::CBigMessageBox box(nullptr, caption.c_str(), nullptr, help.c_str(), riviru::MessageBoxIcon::Info, 0);
    box.DoModal();
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

bool CApp::CheckPackage() {
    if (!archivePath.empty()) return true;  // /e names another archive: nothing to check
    const std::wstring message = VerifyPackage(strings);
    if (message.empty()) return true;
    DoMessageBox(message, MB_ICONERROR, 0);
    exitCode = sfx::exit_code::kBadPackage;
    return false;
}

bool CApp::FixExtractFolder() {
    if (extractOnly) {
        extractDir = sfx::ExtractOnlyFolder(extractDir, CurrentDirectory(), ExecutablePath());
        return true;
    }
    wchar_t temp[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length > MAX_PATH) {
        const DWORD error = length == 0 ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER;
        DoMessageBox(L"Could not get temp directory path.\n\n" + riviru::FormatErrorText(static_cast<int>(error)),
                     MB_ICONERROR, 0);
        exitCode = sfx::exit_code::kBadPackage;
        return false;
    }
    // Created here, by this run alone, before anything is extracted into it.
    const HRESULT created = CreateFreshExtractFolder(std::wstring(temp, length), extractDir);
    if (FAILED(created)) {
        DoMessageBox(L"Could not create the extraction folder in \"" + std::wstring(temp, length) + L"\".\n\n" +
                         riviru::FormatErrorText(static_cast<int>(created)),
                     MB_ICONERROR, 0);
        exitCode = sfx::exit_code::kBadPackage;
        return false;
    }
    return true;
}

sfx::SfxSettings CApp::MakeSettings() const {
    sfx::SfxSettings settings;
    settings.uiLevel = uiLevel;
    settings.productName = productName;
    settings.culture = culture;
    settings.overwriteAnswer = overwriteAnswer;
    settings.extractOnly = extractOnly;
    settings.multilingual = multilingual;
    settings.extractOnlyFromConfig = extractOnlyFromConfig;
    settings.showLanguageDialog = showLanguageDialog;
    settings.callerGivesValuesFile = callerGivesValuesFile;
    settings.archivePath = archivePath.empty() ? ExecutablePath() : archivePath;
    settings.extractDir = extractDir;
    if (settings.extractDir.empty() || settings.extractDir.back() != L'\\') settings.extractDir.push_back(L'\\');

    settings.progressPretty = config.GetInt(kMain, L"SfxProgressPretty", 0) == 1;
    settings.forwardResourceData = config.GetInt(kMain, L"ForwardResourceDataFromSFX", 0) == 1;

    const std::wstring language = L"LANG_" + culture;
    settings.setupShow = config.GetInt(language, L"SetupShow", config.GetInt(kMain, L"SetupShow", 1));
    settings.setupFile =
        config.GetValue(language, L"SetupFileName", config.GetValue(kMain, L"SetupFileName", L"setup.exe"));
    if (riviru::win::RunsUnderWow64()) {
        const std::wstring setup64 =
            config.GetValue(language, L"SetupFileName64", config.GetValue(kMain, L"SetupFileName64", L""));
        if (!setup64.empty()) settings.setupFile = setup64;
    }
    settings.setupParams =
        config.GetValue(language, L"SetupParams", config.GetValue(kMain, L"SetupParams", L""));

    const riviru::PropertyMap folders = riviru::GetFolderProperties();
    const auto& pattern = riviru::SharedPlaceholderPattern();
    for (std::wstring* text : {&settings.setupFile, &settings.setupParams}) {
        *text = riviru::ExpandPlaceholders(*text, folders, pattern);
        ReplaceAll(*text, L"[ExtractDir]", settings.extractDir);
    }
    return settings;
}

void CApp::ApplyStartupValues() {
    productName = config.GetValue(kMain, L"ProductName", L"");
    SetAppName(productName);
    showLanguageDialog = config.GetInt(kMain, L"ShowUnzipLanguageDlg", 1) == 1;
    if (!extractOnly && config.GetInt(kMain, L"ExtractOnly", 0) != 0) {
        extractOnly = true;
        extractOnlyFromConfig = true;
        // The configured default folder is offered only when it exists.
        if (extractDir.empty()) {
            const std::wstring folder =
                riviru::ExpandPlaceholders(config.GetValue(kMain, L"DefaultExtractDir", L"[PersonalFolder]"),
                                           riviru::GetFolderProperties(), riviru::SharedPlaceholderPattern());
            const DWORD attributes = ::GetFileAttributesW(folder.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                extractDir = folder;
            }
        }
    }
    if (!extractOnly && uiLevel == sfx::UiLevel::Normal && config.GetInt(kMain, L"SfxProgressVisible", 1) == 0) {
        uiLevel = sfx::UiLevel::Qm;
    }
}

int CApp::RunProgressDialog(const sfx::SfxSettings& settings) {
    CSelfExtractingDlg dialog(nullptr, settings, strings);
    // The dialog is the main window while it runs: message boxes of the run
    // are owned by it, and the routing asks whether it is visible.
    SetMainWnd(&dialog);
    dialog.DoModal();
    SetMainWnd(nullptr);
    return dialog.GetResultCode();
}
