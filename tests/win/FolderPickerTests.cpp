// The folder browser, driven under the test: a helper thread finds the
// dialog by its title and presses its buttons with posted commands, as a
// user would.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "FindRoomiestDrive.h"
#include "PickFolder.h"
#include "TargetFolder.h"
#include "framework/WinApp.h"
#include "riviru/localization/MemStringResources.h"
#include "riviru/win/UniqueResource.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

struct WindowSearch {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && TextOf(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK DescribeChild(HWND child, LPARAM context) {
    auto* text = reinterpret_cast<std::wstring*>(context);
    *text += L"  " + ClassOf(child) + L" id=" + std::to_wstring(::GetDlgCtrlID(child)) + L" text=\"" +
             TextOf(child) + L"\"" + (::IsWindowVisible(child) ? L"" : L" hidden") + L" parent=" +
             ClassOf(::GetParent(child)) + L"\n";
    return TRUE;
}

BOOL CALLBACK FindEdit(HWND child, LPARAM context) {
    if (ClassOf(child) == L"Edit" && ::IsWindowVisible(child)) {
        *reinterpret_cast<HWND*>(context) = child;
        return FALSE;
    }
    return TRUE;
}

// Waits on its own thread for a visible window of this process with the
// given title and does action to it.
class DialogDriver {
public:
    DialogDriver(std::wstring title, std::function<void(HWND)> action, int waitMs = 15000)
        : thread_([this, title = std::move(title), action = std::move(action), waitMs] {
              WindowSearch search{title};
              for (int waited = 0; waited < waitMs && search.found == nullptr; waited += 50) {
                  ::Sleep(50);
                  ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
              }
              if (search.found == nullptr) return;
              ::Sleep(300);  // let the dialog finish its initialisation
              description_ = ClassOf(search.found) + L"\n";
              ::EnumChildWindows(search.found, DescribeChild, reinterpret_cast<LPARAM>(&description_));
              action(search.found);
              found_ = true;
              // A dialog that the action did not close is cancelled, so that
              // a failing test ends instead of waiting for a user.
              for (int i = 0; i < 100 && ::IsWindow(search.found); ++i) ::Sleep(50);
              if (::IsWindow(search.found)) {
                  leftOpen_ = true;
                  ::PostMessageW(search.found, WM_COMMAND, IDCANCEL, 0);
              }
          }) {}
    ~DialogDriver() { Join(); }

    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    // Found, and closed by the action.
    bool found() const noexcept { return found_ && !leftOpen_; }
    const std::wstring& description() const noexcept { return description_; }

private:
    std::atomic<bool> found_{false};
    std::atomic<bool> leftOpen_{false};
    std::wstring description_;
    std::thread thread_;
};

void PressCancel(HWND dialog) {
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

std::function<void(HWND)> TypeAndPressOk(std::wstring folder) {
    return [folder = std::move(folder)](HWND dialog) {
        HWND edit = nullptr;
        ::EnumChildWindows(dialog, FindEdit, reinterpret_cast<LPARAM>(&edit));
        if (edit != nullptr) ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
}

// The name of some folder inside folder (ending with a backslash).
std::wstring SomeSubfolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    riviru::win::unique_find find(::FindFirstFileW((folder + L"*").c_str(), &found));
    if (!find) return {};
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") return name;
    } while (::FindNextFileW(find.get(), &found));
    return {};
}

class FolderPicker : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        start_ = std::wstring(temp) + L"sfx-pick-start-" + std::to_wstring(::GetCurrentProcessId());
        other_ = std::wstring(temp) + L"sfx-pick-other-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(start_.c_str(), nullptr);
        ::CreateDirectoryW((start_ + L"\\sub").c_str(), nullptr);
        ::CreateDirectoryW(other_.c_str(), nullptr);
    }
    void TearDown() override {
        ::RemoveDirectoryW((start_ + L"\\sub").c_str());
        ::RemoveDirectoryW(start_.c_str());
        ::RemoveDirectoryW(other_.c_str());
        ::CoUninitialize();
    }

    std::wstring start_;  // without a trailing backslash; holds the folder "sub"
    std::wstring other_;
};

// Counts the message boxes of the folder question and answers them.
class AnsweringApp : public fw::CWinApp {
public:
    explicit AnsweringApp(int answer) : fw::CWinApp(L"test"), answer_(answer) {}
    int DoMessageBox(const std::wstring& text, UINT type, UINT) override {
        texts.push_back(text);
        types.push_back(type);
        return answer_;
    }
    std::vector<std::wstring> texts;
    std::vector<UINT> types;

private:
    int answer_;
};

riviru::MemStringResources FolderStrings() {
    riviru::MemStringResources strings;
    strings.SetString(L"SelectTargetDir", L"Select the target folder");
    strings.SetString(L"ChooseTempDir", L"Needs %s of space (100%%).");
    for (const wchar_t* unit : {L"KiB", L"MiB", L"GiB", L"TiB"}) strings.SetString(unit, unit);
    return strings;
}

}  // namespace

TEST_F(FolderPicker, CancelGivesTheEmptyText) {
    DialogDriver driver(L"Pick one", PressCancel);
    EXPECT_EQ(PickFolder(nullptr, start_, L"Pick one"), L"");
    driver.Join();
    EXPECT_TRUE(driver.found());
    std::cout << "Folder dialog:\n" << Narrow(driver.description());
}

// A relative name is taken in the folder the dialog shows, which proves that
// it opened at the start folder. (An OK with an empty name does nothing in
// Wine's dialog, where Windows would take the folder shown.)
TEST_F(FolderPicker, RelativeNameIsTakenInTheStartFolder) {
    DialogDriver driver(L"Pick the start", TypeAndPressOk(L"sub"));
    EXPECT_EQ(PickFolder(nullptr, start_, L"Pick the start"), start_ + L"\\sub\\");
    driver.Join();
    EXPECT_TRUE(driver.found());
}

TEST_F(FolderPicker, AbsolutePathIsTakenWithABackslash) {
    DialogDriver driver(L"Pick another", TypeAndPressOk(other_));
    EXPECT_EQ(PickFolder(nullptr, start_, L"Pick another"), other_ + L"\\");
    driver.Join();
    EXPECT_TRUE(driver.found());
}

TEST_F(FolderPicker, SelectTargetFolderAddsAFreshFolderInANormalRun) {
    riviru::MemStringResources strings = FolderStrings();
    const struct {
        bool extractOnly;
        bool ok;
    } cases[] = {{true, true}, {false, true}, {false, false}};
    for (const auto& c : cases) {
        sfx::SfxSettings settings;
        settings.productName = L"Foo";
        settings.extractOnly = c.extractOnly;
        settings.extractDir = L"C:\\before\\";
        DialogDriver driver(L"Foo - Select the target folder", c.ok ? TypeAndPressOk(L"sub") : PressCancel);
        EXPECT_EQ(SelectTargetFolder(nullptr, strings, settings, start_), c.ok);
        driver.Join();
        EXPECT_TRUE(driver.found());
        if (!c.ok) {
            EXPECT_EQ(settings.extractDir, L"C:\\before\\");
        } else if (c.extractOnly) {
            EXPECT_EQ(settings.extractDir, start_ + L"\\sub\\");
        } else {
            const std::wstring prefix = start_ + L"\\sub\\kvr";
            ASSERT_EQ(settings.extractDir.size(), prefix.size() + 9) << Narrow(settings.extractDir);
            EXPECT_EQ(settings.extractDir.substr(0, prefix.size()), prefix);
            EXPECT_EQ(settings.extractDir.back(), L'\\');
        }
    }
}

TEST_F(FolderPicker, LargerLocationAsksFirstAndStartsAtTheRoomiestDrive) {
    riviru::MemStringResources strings = FolderStrings();
    const sfx::RoomiestDrive drive = FindRoomiestDrive();
    ASSERT_TRUE(drive.found);
    const std::wstring sub = SomeSubfolder(drive.root);
    ASSERT_FALSE(sub.empty()) << Narrow(drive.root);
    for (const int answer : {IDCANCEL, IDOK}) {
        AnsweringApp app(answer);
        sfx::SfxSettings settings;
        settings.productName = L"Foo";
        settings.extractDir = L"C:\\before\\";
        // After a cancel no dialog comes; the driver need not wait long for it.
        DialogDriver driver(L"Foo - Select the target folder", TypeAndPressOk(sub),
                            answer == IDOK ? 15000 : 2000);
        const bool chosen = AskForLargerLocation(nullptr, strings, settings, 123456789);
        driver.Join();
        ASSERT_EQ(app.texts.size(), 1u);
        EXPECT_EQ(app.texts[0], L"Needs 117.7 MiB of space (100%).");
        EXPECT_EQ(app.types[0], static_cast<UINT>(MB_OK));
        EXPECT_EQ(chosen, answer == IDOK);
        EXPECT_EQ(driver.found(), answer == IDOK);  // no folder question after a cancel
        if (answer == IDOK) {
            const std::wstring prefix = drive.root + sub + L"\\kvr";
            EXPECT_EQ(settings.extractDir.substr(0, prefix.size()), prefix) << Narrow(settings.extractDir);
        } else {
            EXPECT_EQ(settings.extractDir, L"C:\\before\\");
        }
    }
}

TEST(RoomiestDriveWin, FindsAFixedDriveWithFreeSpace) {
    const sfx::RoomiestDrive drive = FindRoomiestDrive();
    ASSERT_TRUE(drive.found);
    EXPECT_GT(drive.freeBytes, 0u);
    const UINT type = ::GetDriveTypeW(drive.root.c_str());
    EXPECT_NE(type, static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_NE(type, static_cast<UINT>(DRIVE_REMOTE));
    EXPECT_NE(type, static_cast<UINT>(DRIVE_CDROM));
    EXPECT_EQ(drive.root.size(), 3u);
    EXPECT_EQ(drive.root.substr(1), L":\\");
}
