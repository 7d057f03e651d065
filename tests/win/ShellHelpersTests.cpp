// The shell and process helpers: starting programs (plainly and through the
// shell), path/URL conversion, shell item properties, scaled icons and the
// desktop-user functions as far as Wine's shell offers them.
#include <gtest/gtest.h>
#include <windows.h>

#include <exdisp.h>
#include <objbase.h>

#include <string>
#include <system_error>

#include "ProbeSupport.h"
#include "riviru/shell/DesktopShell.h"
#include "riviru/shell/ScaledIcon.h"
#include "riviru/shell/ShellItemString.h"
#include "riviru/shell/ShellUrl.h"
#include "riviru/shell/StartProcess.h"
#include "riviru/win/UniqueResource.h"

namespace {

using riviru::win::unique_handle;

constexpr DWORD kProbeExit = 0x20001005;  // more than 8 bits: Wine's launcher would cut it

// COM for the shell functions, on the test's thread.
class ComScope {
public:
    ComScope() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { ::CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

// The message a system_error was made with (what() appends ": " and the
// code's own message).
bool HasMessage(const std::system_error& error, const std::string& message) {
    return std::string(error.what()).rfind(message, 0) == 0;
}

// Waits for a started process and gives its exit code.
DWORD WaitForExit(HANDLE process) {
    EXPECT_EQ(::WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeProcess(process, &code));
    return code;
}

struct ModeCase {
    const char* name;
    std::uint32_t mode;
    bool threadHandle;  // CreateProcessW gives the thread back, the shell does not
};

class StartProcessTest : public testing::TestWithParam<ModeCase> {};

TEST_P(StartProcessTest, AbsolutePathStartsInItsFolderWithItsParameters) {
    probe::TempFolder folder(L"start process");
    const std::wstring program = folder.path() + L"setupprobe.exe";
    ASSERT_TRUE(::CopyFileW(probe::ProbeProgram().c_str(), program.c_str(), FALSE));
    const std::wstring report = folder.path() + L"report.txt";
    probe::ScopedEnvironment reportVariable(L"SFX_PROBE_REPORT", report);
    probe::ScopedEnvironment exitVariable(L"SFX_PROBE_EXIT", std::to_wstring(kProbeExit));

    riviru::ProcessInformation info{};
    ASSERT_TRUE(riviru::StartProcess(nullptr, program.c_str(), L"/silent \"a b\"", &info, nullptr, SW_HIDE,
                                     GetParam().mode))
        << ::GetLastError();
    const unique_handle process(info.hProcess), thread(info.hThread);
    ASSERT_TRUE(process);
    EXPECT_EQ(static_cast<bool>(thread), GetParam().threadHandle);
    EXPECT_EQ(WaitForExit(process.get()), kProbeExit);

    const probe::Report result = probe::ReadReport(report);
    ASSERT_TRUE(result.Complete());
    EXPECT_TRUE(probe::SamePath(result.One("workingFolder"), folder.bare())) << result.One("workingFolder");
    const auto& args = result.values.at("arg");
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[1], L"/silent");
    EXPECT_EQ(args[2], L"a b");
    if (GetParam().mode & riviru::UseCreateProcess) {  // the path is always quoted
        EXPECT_EQ(result.One("commandLine"), L"\"" + program + L"\" /silent \"a b\"");
    }
}

TEST_P(StartProcessTest, BareNameStartsInTheInheritedFolder) {
    // The bare name is found in the test program's own folder; the started
    // program keeps this process's current folder.
    probe::TempFolder folder(L"bare name");
    const std::wstring report = folder.path() + L"report.txt";
    probe::ScopedEnvironment reportVariable(L"SFX_PROBE_REPORT", report);
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.path().c_str()));
    // CreateProcessW finds the bare name in the test program's folder, so the
    // probe runs outside its own folder; the shell looks in the current
    // folder, so it gets a copy there.
    const std::wstring copy = folder.path() + L"setupprobe.exe";
    if (GetParam().mode & riviru::UseShellExecute)
        ::CopyFileW(probe::ProbeProgram().c_str(), copy.c_str(), FALSE);

    riviru::ProcessInformation info{};
    const bool started =
        riviru::StartProcess(nullptr, L"setupprobe.exe", nullptr, &info, nullptr, SW_HIDE, GetParam().mode);
    const DWORD error = ::GetLastError();
    ::SetCurrentDirectoryW(previous);
    ASSERT_TRUE(started) << error;
    const unique_handle process(info.hProcess), thread(info.hThread);
    EXPECT_EQ(WaitForExit(process.get()), 0u);

    const probe::Report result = probe::ReadReport(report);
    ASSERT_TRUE(result.Complete());
    EXPECT_TRUE(probe::SamePath(result.One("workingFolder"), folder.bare())) << result.One("workingFolder");
}

TEST_P(StartProcessTest, MissingProgramFailsWithTheSystemError) {
    probe::TempFolder folder(L"missing");
    const std::wstring program = folder.path() + L"no-such-setup.exe";
    riviru::ProcessInformation info{};
    ::SetLastError(0);
    EXPECT_FALSE(
        riviru::StartProcess(nullptr, program.c_str(), L"/q", &info, nullptr, SW_HIDE, GetParam().mode));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(info.hProcess, nullptr);
}

TEST_P(StartProcessTest, WithoutPlaceForTheProcessTheHandlesAreClosed) {
    probe::TempFolder folder(L"no info");
    const std::wstring report = folder.path() + L"report.txt";
    probe::ScopedEnvironment reportVariable(L"SFX_PROBE_REPORT", report);
    ASSERT_TRUE(riviru::StartProcess(nullptr, probe::ProbeProgram().c_str(), nullptr, nullptr, nullptr,
                                     SW_HIDE, GetParam().mode));
    for (int i = 0; i < 200 && !probe::ReadReport(report).Complete(); ++i) ::Sleep(50);
    EXPECT_TRUE(probe::ReadReport(report).Complete());
    ::Sleep(200);  // let the probe end before its report is removed
}

INSTANTIATE_TEST_SUITE_P(Modes, StartProcessTest,
                         testing::Values(ModeCase{"CreateProcess", riviru::UseCreateProcess, true},
                                         ModeCase{"ShellExecute", riviru::UseShellExecute, false}),
                         [](const testing::TestParamInfo<ModeCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(ShellUrlTest, PathAndUrlRoundTrip) {
    const std::wstring path = L"C:\\Program Files\\My App\\read me.txt";
    const std::wstring url = riviru::UrlFromPath(path);
    EXPECT_EQ(url, L"file:///C:/Program%20Files/My%20App/read%20me.txt");
    EXPECT_EQ(riviru::PathFromUrl(url), path);
}

TEST(ShellUrlTest, NonFileUrlRaisesTheHResult) {
    try {
        riviru::PathFromUrl(L"http://example.com/setup.exe");
        FAIL() << "no exception";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().category(), std::system_category());
        EXPECT_LT(e.code().value(), 0);  // an HRESULT
        EXPECT_TRUE(HasMessage(e, "Could not create path from URL")) << e.what();
    }
}

TEST(ShellItemStringTest, UnparsablePathRaisesTheHResult) {
    ComScope com;
    try {
        riviru::GetShellItemString(L"Q:\\no\\such\\folder\\anywhere", riviru::kItemNameDisplay);
        FAIL() << "no exception";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().category(), std::system_category());
        EXPECT_LT(e.code().value(), 0);
        EXPECT_TRUE(HasMessage(e, "Could not get display name from path")) << e.what();
    }
}

TEST(ShellItemStringTest, ExistingFolderGivesItsDisplayNameOrNothing) {
    ComScope com;
    probe::TempFolder folder(L"display name");
    const std::wstring name = riviru::GetShellItemString(folder.path(), riviru::kItemNameDisplay);
    // Windows gives the folder's name; Wine's shell items have no string
    // properties, which the function turns into the empty text.
    const std::wstring bare = folder.bare();
    EXPECT_TRUE(name.empty() || name == bare.substr(bare.rfind(L'\\') + 1)) << name;
}

TEST(ScaledIconTest, LoadsTheQuestionIconAndReplacesIt) {
    // comctl32 has to be loaded for the scaled loading to be found.
    const riviru::win::unique_module comctl(::LoadLibraryW(L"comctl32.dll"));
    riviru::ScaledIcon icon;
    EXPECT_FALSE(icon);
    ASSERT_TRUE(icon.Load(nullptr, IDI_QUESTION, 32, 32));
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon.Get(), &info));
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    EXPECT_EQ(bitmap.bmWidth, 32);

    const HICON first = icon.Get();
    ASSERT_TRUE(icon.Load(nullptr, IDI_WARNING, 16, 16));
    EXPECT_NE(icon.Get(), nullptr);
    const HICON second = icon.Get();
    EXPECT_NE(second, first);

    const bool scaled = ::GetProcAddress(comctl.get(), "LoadIconWithScaleDown") != nullptr;
    EXPECT_FALSE(icon.Load(::GetModuleHandleW(nullptr), L"NO_SUCH_ICON", 16, 16));
    // The scaled loading keeps the old icon on failure; the plain one cannot.
    if (scaled) {
        EXPECT_EQ(icon.Get(), second);
    }
}

TEST(ScaledIconTest, StandardIconsMapToUser32Resources) {
    const struct {
        const wchar_t* id;
        int resource;
    } cases[] = {
        {IDI_APPLICATION, 100},   {IDI_ERROR, 103},   {IDI_QUESTION, 102}, {IDI_WARNING, 101},
        {IDI_INFORMATION, 104},   {IDI_WINLOGO, 105}, {IDI_SHIELD, 106},   {MAKEINTRESOURCEW(32519), 0},
        {MAKEINTRESOURCEW(1), 0}, {L"QUESTION", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(riviru::ScaledIcon::User32IconResource(c.id), c.resource)
            << reinterpret_cast<ULONG_PTR>(c.id);
}

TEST(DesktopShellTest, AbsentProgramIsAnInvalidArgument) {
    try {
        riviru::ShellExecuteAsDesktopUser(nullptr, nullptr, nullptr, nullptr, SW_SHOWNORMAL, 0);
        FAIL() << "no exception";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::error_code(22, std::generic_category()));
        EXPECT_TRUE(HasMessage(e, "The pszFile parameter must not be nullptr")) << e.what();
    }
}

// The desktop shell serves its window list only while its process runs; a
// Wine prefix without a running explorer.exe has none.
bool DesktopShellRuns() {
    IUnknown* windows = nullptr;
    const HRESULT hr = ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IUnknown,
                                          reinterpret_cast<void**>(&windows));
    if (SUCCEEDED(hr)) windows->Release();
    return SUCCEEDED(hr);
}

TEST(DesktopShellTest, ProgramIsStartedByTheDesktopShellProcess) {
    // The program runs in the desktop shell's process (Wine's explorer.exe),
    // with that process's environment, which the test cannot steer; so the
    // started program is the command interpreter writing its current folder
    // to a file named on its command line.
    ComScope com;
    if (!DesktopShellRuns()) {
        GTEST_SKIP() << "no desktop shell process serves its window list here";
    }
    probe::TempFolder folder(L"desktop start");
    const std::wstring written = folder.path() + L"folder.txt";
    const std::wstring parameters = L"/c cd > \"" + written + L"\"";
    riviru::ShellExecuteAsDesktopUser(L"cmd.exe", parameters.c_str(), folder.path().c_str(), L"open", SW_HIDE,
                                      riviru::kDesktopNoForeground);
    std::string text;
    for (int i = 0; i < 200 && text.find('\n') == std::string::npos; ++i) {
        ::Sleep(50);
        text = test::ReadAll(written);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    EXPECT_TRUE(probe::SamePath(probe::FromUtf8(text), folder.bare())) << text;
    ::Sleep(200);  // let the command interpreter end before the folder is removed
}

TEST(DesktopShellTest, FolderIsOpenedNotExecuted) {
    // Windows opens a window of the desktop shell. Wine's IShellDispatch has
    // no Open or Explore (E_NOTIMPL), so there the failure of opening the
    // folder shows that a path ending in a backslash took that way.
    ComScope com;
    if (!DesktopShellRuns()) {
        GTEST_SKIP() << "no desktop shell process serves its window list here";
    }
    probe::TempFolder folder(L"desktop folder");
    const auto expectOpenFailure = [](const std::system_error& e) {
        EXPECT_EQ(e.code(), std::error_code(static_cast<int>(E_NOTIMPL), std::system_category()));
        EXPECT_TRUE(HasMessage(e, "IShellDispatch::ShellExecute failed")) << e.what();
    };
    try {
        riviru::ShellExecuteAsDesktopUser(folder.path().c_str(), nullptr, nullptr, nullptr, SW_SHOWNORMAL, 0);
    } catch (const std::system_error& e) {
        expectOpenFailure(e);
    }
    for (const std::uint32_t flags :
         {0u, riviru::kDesktopExploreFolder | riviru::kDesktopFolderNoForeground}) {
        try {
            riviru::OpenFolderAsDesktopUser(folder.path().c_str(), flags);
        } catch (const std::system_error& e) {
            expectOpenFailure(e);
        }
    }
}

}  // namespace
