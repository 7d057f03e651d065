// The folder properties on the running system (under Wine: a 32-bit process
// on 64-bit Windows).
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "riviru/localization/ExpandPlaceholders.h"
#include "riviru/localization/FolderProperties.h"

namespace {

using riviru::ResolveFolderProperty;

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
    return length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

// Restores an environment variable that a test changes.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name), old_(Environment(name)) {
        ::SetEnvironmentVariableW(name, value);
    }
    ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, old_.empty() ? nullptr : old_.c_str()); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* name_;
    std::wstring old_;
};

}  // namespace

TEST(FolderProperties, ShellFolderIdsAreTheSdkConstants) {
    const struct {
        const wchar_t* name;
        int csidl;
    } rows[] = {
        {L"AdminToolsFolder", CSIDL_COMMON_ADMINTOOLS},
        {L"AppDataFolder", CSIDL_APPDATA},
        {L"CommonAppDataFolder", CSIDL_COMMON_APPDATA},
        {L"CommonFilesFolder", CSIDL_PROGRAM_FILES_COMMON},
        {L"DesktopFolder", CSIDL_COMMON_DESKTOPDIRECTORY},
        {L"FavoritesFolder", CSIDL_FAVORITES},
        {L"FontsFolder", CSIDL_FONTS},
        {L"LocalAppDataFolder", CSIDL_LOCAL_APPDATA},
        {L"MyPicturesFolder", CSIDL_MYPICTURES},
        {L"PersonalFolder", CSIDL_PERSONAL},
        {L"ProgramFilesFolder", CSIDL_PROGRAM_FILES},
        {L"ProgramMenuFolder", CSIDL_COMMON_PROGRAMS},
        {L"SendToFolder", CSIDL_SENDTO},
        {L"StartMenuFolder", CSIDL_COMMON_STARTMENU},
        {L"StartupFolder", CSIDL_COMMON_STARTUP},
        {L"TemplateFolder", CSIDL_COMMON_TEMPLATES},
        {L"WindowsFolder", CSIDL_WINDOWS},
        {L"WIX_DIR_ADMINTOOLS", CSIDL_ADMINTOOLS},
        {L"WIX_DIR_ALTSTARTUP", CSIDL_ALTSTARTUP},
        {L"WIX_DIR_CDBURN_AREA", CSIDL_CDBURN_AREA},
        {L"WIX_DIR_COMMON_ADMINTOOLS", CSIDL_COMMON_ADMINTOOLS},
        {L"WIX_DIR_COMMON_ALTSTARTUP", CSIDL_COMMON_ALTSTARTUP},
        {L"WIX_DIR_COMMON_DOCUMENTS", CSIDL_COMMON_DOCUMENTS},
        {L"WIX_DIR_COMMON_FAVORITES", CSIDL_COMMON_FAVORITES},
        {L"WIX_DIR_COMMON_MUSIC", CSIDL_COMMON_MUSIC},
        {L"WIX_DIR_COMMON_PICTURES", CSIDL_COMMON_PICTURES},
        {L"WIX_DIR_COMMON_VIDEO", CSIDL_COMMON_VIDEO},
        {L"WIX_DIR_COOKIES", CSIDL_COOKIES},
        {L"WIX_DIR_DESKTOP", CSIDL_DESKTOP},
        {L"WIX_DIR_HISTORY", CSIDL_HISTORY},
        {L"WIX_DIR_INTERNET_CACHE", CSIDL_INTERNET_CACHE},
        {L"WIX_DIR_MYMUSIC", CSIDL_MYMUSIC},
        {L"WIX_DIR_MYPICTURES", CSIDL_MYPICTURES},
        {L"WIX_DIR_MYVIDEO", CSIDL_MYVIDEO},
        {L"WIX_DIR_NETHOOD", CSIDL_NETHOOD},
        {L"WIX_DIR_PERSONAL", CSIDL_PERSONAL},
        {L"WIX_DIR_PRINTHOOD", CSIDL_PRINTHOOD},
        {L"WIX_DIR_PROFILE", CSIDL_PROFILE},
        {L"WIX_DIR_RECENT", CSIDL_RECENT},
        {L"WIX_DIR_RESOURCES", CSIDL_RESOURCES},
    };
    const riviru::FolderPropertyTable& table = riviru::GetFolderPropertyTable();
    for (const auto& row : rows) {
        const auto found = table.find(row.name);
        ASSERT_NE(found, table.end()) << Narrow(row.name);
        EXPECT_EQ(found->second.csidl, row.csidl) << Narrow(row.name);
        EXPECT_TRUE(found->second.environmentVariable.empty()) << Narrow(row.name);
    }
}

TEST(FolderProperties, ShellFoldersAreExistingFoldersWithoutTrailingBackslash) {
    for (const wchar_t* name : {L"PersonalFolder", L"AppDataFolder", L"LocalAppDataFolder", L"WindowsFolder",
                                L"ProgramFilesFolder", L"WIX_DIR_PROFILE"}) {
        const std::wstring path = ResolveFolderProperty(name);
        SCOPED_TRACE(Narrow(name) + " = " + Narrow(path));
        ASSERT_FALSE(path.empty());
        EXPECT_TRUE(IsFolder(path));
        EXPECT_NE(path.back(), L'\\');
    }
}

TEST(FolderProperties, TempFolderIsTheLongFormWithTrailingBackslash) {
    const std::wstring temp = ResolveFolderProperty(L"TempFolder");
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), L'\\');
    EXPECT_TRUE(IsFolder(temp));
    wchar_t longForm[MAX_PATH];
    ASSERT_NE(::GetLongPathNameW(temp.c_str(), longForm, MAX_PATH), 0u);
    EXPECT_EQ(temp, longForm);
}

TEST(FolderProperties, SystemFolderIsTheSystemDirectory) {
    wchar_t system[MAX_PATH];
    ASSERT_NE(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    EXPECT_EQ(ResolveFolderProperty(L"SystemFolder"), system);
}

TEST(FolderProperties, NamesWithoutValueAndUnknownNamesAreEmpty) {
    for (const wchar_t* name :
         {L"WindowsVolume", L"System16Folder", L"System64Folder", L"personalfolder", L"ExtractDir", L""}) {
        EXPECT_EQ(ResolveFolderProperty(name), L"") << Narrow(name);
    }
}

TEST(FolderProperties, The64BitFoldersFollowTheEnvironmentOn64BitWindows) {
    ScopedEnvironment programFiles(L"ProgramW6432", L"D:\\Programs 64");
    ScopedEnvironment commonFiles(L"CommonProgramW6432", L"D:\\Programs 64\\Common");
    if (IsWow64()) {
        // Read anew at each call, not cached.
        EXPECT_EQ(ResolveFolderProperty(L"ProgramFiles64Folder"), L"D:\\Programs 64");
        EXPECT_EQ(ResolveFolderProperty(L"ProgramFiles6432Folder"), L"D:\\Programs 64");
        EXPECT_EQ(ResolveFolderProperty(L"CommonFiles64Folder"), L"D:\\Programs 64\\Common");
        EXPECT_EQ(ResolveFolderProperty(L"CommonFiles6432Folder"), L"D:\\Programs 64\\Common");
        ::SetEnvironmentVariableW(L"ProgramW6432", nullptr);
        EXPECT_EQ(ResolveFolderProperty(L"ProgramFiles64Folder"), L"");
    } else {
        EXPECT_EQ(ResolveFolderProperty(L"ProgramFiles64Folder"), L"");
        EXPECT_EQ(ResolveFolderProperty(L"CommonFiles64Folder"), L"");
        EXPECT_EQ(ResolveFolderProperty(L"ProgramFiles6432Folder"),
                  ResolveFolderProperty(L"ProgramFilesFolder"));
        EXPECT_EQ(ResolveFolderProperty(L"CommonFiles6432Folder"),
                  ResolveFolderProperty(L"CommonFilesFolder"));
    }
}

TEST(FolderProperties, MapHoldsEveryNameAndExpandsConfigurationValues) {
    const riviru::PropertyMap properties = riviru::GetFolderProperties();
    const riviru::FolderPropertyTable& table = riviru::GetFolderPropertyTable();
    ASSERT_EQ(properties.size(), table.size());
    for (const auto& entry : table) {
        const auto found = properties.find(entry.first);
        ASSERT_NE(found, properties.end()) << Narrow(entry.first);
        EXPECT_EQ(found->second, ResolveFolderProperty(entry.first)) << Narrow(entry.first);
    }
    EXPECT_EQ(properties.count(L"personalfolder"), 0u);

    const auto expand = [&](const wchar_t* text) {
        return riviru::ExpandPlaceholders(text, properties, riviru::SharedPlaceholderPattern());
    };
    const std::wstring personal = ResolveFolderProperty(L"PersonalFolder");
    EXPECT_EQ(expand(L"[PersonalFolder]\\Setup"), personal + L"\\Setup");
    EXPECT_EQ(expand(L"[TempFolder]setup.log"), ResolveFolderProperty(L"TempFolder") + L"setup.log");
    EXPECT_EQ(expand(L"[WindowsFolder]\\x"), ResolveFolderProperty(L"WindowsFolder") + L"\\x");
    EXPECT_EQ(expand(L"[WindowsVolume]"), L"");
    EXPECT_EQ(expand(L"[personalfolder]\\[ExtractDir]"), L"[personalfolder]\\[ExtractDir]");
}
