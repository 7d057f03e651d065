// The application object's start-up steps on real files, and the message-box
// routing where it decides not to show a box (a shown box would wait for a
// user; the end-to-end tests answer those through the UI driver).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "App.h"
#include "ConfigCipher.h"
#include "sfx/ConfigBlock.h"

namespace {

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        path_ = std::filesystem::path(base) / (L"sfxapp" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                                               std::to_wstring(counter_++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    static inline int counter_ = 0;
};

// A package made of a stand-in stub, the enciphered configuration and a tiny archive.
std::filesystem::path WritePackage(const TempFolder& folder, const std::string& configUtf8) {
    const auto path = folder.path() / L"package.exe";
    std::ofstream out(path, std::ios::binary);
    out << "MZ stand-in stub bytes";
    const auto start = sfx::BuildStartMarker();
    const auto end = sfx::BuildEndMarker();
    const auto block = sfxpack::MakeConfigBlock(std::vector<std::uint8_t>(configUtf8.begin(), configUtf8.end()));
    out.write(reinterpret_cast<const char*>(start.data()), start.size());
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    out.write(reinterpret_cast<const char*>(end.data()), end.size());
    out << "7z\xBC\xAF\x27\x1C archive bytes";
    return path;
}

class AppStartup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.SetCulture(L"")); }
    CApp app;
    TempFolder folder;
};

}  // namespace

TEST_F(AppStartup, MessageBoxesBelowTheirLevelAreAnsweredWithZero) {
    const struct {
        sfx::UiLevel level;
        UINT type;
    } skipped[] = {
        {sfx::UiLevel::Silent, MB_ICONERROR},
        {sfx::UiLevel::Silent, MB_ICONWARNING | MB_YESNO},
        {sfx::UiLevel::Qb, MB_ICONINFORMATION},
        {sfx::UiLevel::Qx, MB_ICONQUESTION | MB_YESNO},
        {sfx::UiLevel::Qm, MB_OK},
    };
    for (const auto& c : skipped) {
        app.SetUiLevel(c.level);
        EXPECT_EQ(app.DoMessageBox(L"not shown", c.type, 0), 0) << "type " << c.type;
    }
}

TEST_F(AppStartup, CommandLineSetsTheRunMembers) {
    EXPECT_TRUE(app.ApplyCommandLine({L"/qb", L"/l", L"de-DE", L"/overwriteanswer", L"NoToAll"}));
    EXPECT_EQ(app.GetUiLevel(), sfx::UiLevel::Qb);
    EXPECT_TRUE(app.ApplyCommandLine({L"/x", L"/q"}));
    EXPECT_TRUE(app.IsExtractOnly());
    EXPECT_EQ(app.GetExtractDir(), L"/q");
    EXPECT_EQ(app.GetUiLevel(), sfx::UiLevel::Normal);
}

TEST_F(AppStartup, DamagedOrMissingPackagesEndWithTheBadPackageCode) {
    app.SetUiLevel(sfx::UiLevel::Silent);
    EXPECT_FALSE(app.ReadConfiguration((folder.path() / L"missing.exe").wstring()));
    EXPECT_EQ(app.GetExitCode(), sfx::exit_code::kBadPackage);

    const auto noEnd = folder.path() / L"noend.exe";
    {
        std::ofstream out(noEnd, std::ios::binary);
        const auto start = sfx::BuildStartMarker();
        out << "MZ";
        out.write(reinterpret_cast<const char*>(start.data()), start.size());
        out << std::string(64, 'x');
    }
    CApp second;
    ASSERT_TRUE(second.SetCulture(L""));
    second.SetUiLevel(sfx::UiLevel::Silent);
    EXPECT_FALSE(second.ReadConfiguration(noEnd.wstring()));
    EXPECT_EQ(second.GetExitCode(), sfx::exit_code::kBadPackage);
}

TEST_F(AppStartup, StartupValuesComeFromTheMainSection) {
    const auto package = WritePackage(folder,
                                      "[Main]\r\nproductname = \"Studio \xC3\x9C\"\r\n"
                                      "ShowUnzipLanguageDlg=2\r\nSfxProgressVisible=0\r\n");
    ASSERT_TRUE(app.ReadConfiguration(package.wstring()));
    EXPECT_EQ(app.GetAppName(), L"Studio \u00DC");
    EXPECT_FALSE(app.ShowsLanguageDialog());
    EXPECT_EQ(app.GetUiLevel(), sfx::UiLevel::Qm);
    EXPECT_FALSE(app.IsExtractOnly());
}

TEST_F(AppStartup, ExtractOnlyFromTheConfigurationNeedsANonZeroNumber) {
    struct Case {
        const char* value;
        bool extractOnly;
    };
    for (const Case& c : {Case{"yes", false}, Case{"2", true}, Case{"0", false}}) {
        CApp run;
        ASSERT_TRUE(run.SetCulture(L""));
        const auto package = WritePackage(folder, std::string("[main]\nExtractOnly=") + c.value + "\n");
        ASSERT_TRUE(run.ReadConfiguration(package.wstring()));
        EXPECT_EQ(run.IsExtractOnly(), c.extractOnly) << c.value;
        EXPECT_EQ(run.IsExtractOnlyFromConfig(), c.extractOnly) << c.value;
        // A progress window is kept in an extract-only run.
        EXPECT_EQ(run.GetUiLevel(), sfx::UiLevel::Normal);
    }
}

TEST_F(AppStartup, ANameFreeConfigurationLeavesTheApplicationNameEmpty) {
    const auto package = WritePackage(folder, "");
    ASSERT_TRUE(app.ReadConfiguration(package.wstring()));
    EXPECT_EQ(app.GetAppName(), L"");
    EXPECT_TRUE(app.ShowsLanguageDialog());
}

TEST_F(AppStartup, TheChosenLanguageSectionOverridesTextsAndProductName) {
    const auto package = WritePackage(folder,
                                      "[main]\nProductName=Product\n"
                                      "[LANG_de-DE]\nProductName=Produkt\nProgressTitle=%d %% entpackt\n"
                                      "ProgressText=Bitte warten\nStartSetup=Los geht's\n"
                                      "[LANG_en-US]\nProgressTitle=\n");
    ASSERT_TRUE(app.ApplyCommandLine({L"/q", L"/l", L"de-DE"}));
    ASSERT_TRUE(app.ReadConfiguration(package.wstring()));
    ASSERT_TRUE(app.SelectCulture());
    EXPECT_TRUE(app.IsMultilingual());
    EXPECT_EQ(app.GetCulture(), L"de-DE");
    EXPECT_EQ(app.GetAppName(), L"Produkt");
    EXPECT_EQ(app.GetStrings().GetString(L"SfxProgressTitle"), L"%d %% entpackt");
    EXPECT_EQ(app.GetStrings().GetString(L"SfxProgressText"), L"Bitte warten");
    EXPECT_EQ(app.GetStrings().GetString(L"StartSetup"), L"Los geht's");

    // An empty value keeps the table's text; the product name stays.
    ASSERT_TRUE(app.SetCulture(L"en-US"));
    EXPECT_NE(app.GetStrings().GetString(L"SfxProgressTitle"), L"%d %% entpackt");
    EXPECT_EQ(app.GetAppName(), L"Produkt");
}

TEST_F(AppStartup, WithoutLanguageSectionsTheCultureKeyDecides) {
    const auto package = WritePackage(folder, "[main]\nCulture=de-DE\n");
    ASSERT_TRUE(app.ApplyCommandLine({L"/q", L"/l", L"en-US"}));
    ASSERT_TRUE(app.ReadConfiguration(package.wstring()));
    ASSERT_TRUE(app.SelectCulture());
    EXPECT_FALSE(app.IsMultilingual());
    EXPECT_EQ(app.GetCulture(), L"de-DE");
}
