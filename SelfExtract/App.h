// The stub's application object. InitInstance performs the whole run on the
// user-interface thread and always returns FALSE; ExitInstance hands the exit
// code to the process. DoMessageBox is the one door of every message box of
// the process: it logs the request and decides from the user-interface level
// whether the box is shown.
#pragma once
#include <string>
#include <vector>

#include "common/setup/InstallStringResources.h"
#include "framework/WinApp.h"
#include "riviru/ui/CFontOccManager.h"
#include "sfx/SfxConfig.h"
#include "sfx/SfxSettings.h"
#include "sfx/SfxTypes.h"

class CApp : public fw::CWinApp {
public:
    CApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
    int DoMessageBox(const std::wstring& text, UINT type, UINT helpId) override;

    // Loads the string tables of a culture and applies its language section.
    bool SetCulture(const std::wstring& newCulture);
    // Picks the culture from the language sections, the command line and the
    // user's settings; false when the user cancelled the language choice.
    bool SelectCulture();

    sfx::UiLevel GetUiLevel() const noexcept { return uiLevel; }
    void SetUiLevel(sfx::UiLevel level) noexcept { uiLevel = level; }
    int GetExitCode() const noexcept { return exitCode; }
    const sfx::SfxConfig& GetConfig() const noexcept { return config; }
    const kvmsi::InstallStringResources& GetStrings() const noexcept { return strings; }
    const std::wstring& GetCulture() const noexcept { return culture; }
    bool IsMultilingual() const noexcept { return multilingual; }
    bool IsExtractOnly() const noexcept { return extractOnly; }
    bool IsExtractOnlyFromConfig() const noexcept { return extractOnlyFromConfig; }
    bool ShowsLanguageDialog() const noexcept { return showLanguageDialog; }
    const std::wstring& GetExtractDir() const noexcept { return extractDir; }

    // The steps of InitInstance that read input, open for the Windows tests.
    // Each returns false when the run ends there, with exitCode set.
    bool ApplyCommandLine(const std::vector<std::wstring>& arguments);
    bool ReadConfiguration(const std::wstring& executablePath);

    // Package check (skipped with /e) and the extraction folder.
    bool CheckPackage();
    bool FixExtractFolder();
    // The record handed to the second half of the run.
    sfx::SfxSettings MakeSettings() const;

private:
    void ShowHelp();
    void ApplyStartupValues();
    // Runs the progress dialog, which extracts and starts the setup, and
    // returns the exit code of the run.
    int RunProgressDialog(const sfx::SfxSettings& settings);

    int exitCode = 0;
    sfx::UiLevel uiLevel = sfx::UiLevel::Normal;
    sfx::SfxConfig config;
    std::wstring requestedCulture;
    std::wstring culture;
    std::wstring productName;
    std::wstring extractDir;
    std::wstring archivePath;
    bool extractOnly = false;
    bool callerGivesValuesFile = false;
    bool multilingual = false;
    bool showLanguageDialog = false;
    bool extractOnlyFromConfig = false;
    sfx::OverwriteAnswer overwriteAnswer = sfx::OverwriteAnswer::YesToAll;
    kvmsi::InstallStringResources strings;

    bool comInitialized_ = false;
    riviru::CFontOccManager fontManager_;
};
