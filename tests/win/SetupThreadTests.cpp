// The setup worker: it starts the setup stand-in, reports the start and the
// exit code to the dialog window, and removes the extraction folder, also
// when the start fails; and the start information built for it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "BuildSetupStartInfo.h"
#include "ProbeSupport.h"
#include "SetupThread.h"
#include "SfxMessages.h"

namespace {

struct Note {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A message-only window on the test's thread standing in for the progress
// dialog: it records the worker's notifications.
class DialogStandIn {
public:
    DialogStandIn() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SetupThreadTestsDialog";
        ::RegisterClassW(&windowClass);  // fails harmlessly when already registered
        window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~DialogStandIn() { ::DestroyWindow(window_); }
    DialogStandIn(const DialogStandIn&) = delete;
    DialogStandIn& operator=(const DialogStandIn&) = delete;

    HWND get() const noexcept { return window_; }

    // Delivers messages until WM_SFX_SETUP_DONE has arrived or the time is up.
    const std::vector<Note>& WaitForDone(DWORD timeoutMs = 30000) {
        const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
        while (!Done() && ::GetTickCount64() < deadline) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
        return notes_;
    }

private:
    bool Done() const { return !notes_.empty() && notes_.back().message == WM_SFX_SETUP_DONE; }
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<DialogStandIn*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && (message == WM_SFX_HIDE || message == WM_SFX_SETUP_DONE)) {
            self->notes_.push_back({message, wParam, lParam});
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    std::vector<Note> notes_;
};

TEST(SetupThreadTest, RunsTheSetupAndPassesItsExitCodeOn) {
    probe::TempFolder reports(L"setup reports");
    const std::wstring report = reports.path() + L"report.txt";
    probe::ScopedEnvironment reportVariable(L"SFX_PROBE_REPORT", report);
    probe::ScopedEnvironment exitVariable(L"SFX_PROBE_EXIT", L"3010");

    probe::TempFolder extracted(L"setup run");
    const std::wstring setup = extracted.path() + L"product\\setupprobe.exe";
    ASSERT_TRUE(::CreateDirectoryW((extracted.path() + L"product").c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW(probe::ProbeProgram().c_str(), setup.c_str(), FALSE));

    DialogStandIn dialog;
    SetupStartInfo info;
    info.window = dialog.get();
    info.extractDir = extracted.path();
    info.setupFile = setup;
    info.params = L"/silent \"two words\"";
    info.show = SW_HIDE;
    CSetupThread thread;
    ASSERT_TRUE(thread.Begin(info));
    const std::vector<Note> notes = dialog.WaitForDone();
    thread.Wait();

    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].message, WM_SFX_HIDE);
    EXPECT_EQ(notes[1].message, WM_SFX_SETUP_DONE);
    EXPECT_EQ(notes[1].wParam, 3010u);
    EXPECT_EQ(notes[1].lParam, 1);
    EXPECT_EQ(thread.GetErrorText(), L"");
    EXPECT_FALSE(probe::Exists(extracted.path())) << "extraction folder left behind";

    const probe::Report result = probe::ReadReport(report);
    ASSERT_TRUE(result.Complete());
    EXPECT_TRUE(probe::SamePath(result.One("workingFolder"), extracted.path() + L"product"))
        << result.One("workingFolder");
    const auto& args = result.values.at("arg");
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[1], L"/silent");
    EXPECT_EQ(args[2], L"two words");
}

TEST(SetupThreadTest, MissingSetupReportsTheErrorAndStillRemovesTheFolder) {
    probe::TempFolder extracted(L"setup missing");
    const std::wstring setup = extracted.path() + L"setup.exe";
    test::WriteAll(extracted.path() + L"data.bin", "extracted");

    DialogStandIn dialog;
    SetupStartInfo info;
    info.window = dialog.get();
    info.extractDir = extracted.path();
    info.setupFile = setup;
    info.show = SW_HIDE;
    CSetupThread thread;
    ASSERT_TRUE(thread.Begin(info));
    const std::vector<Note> notes = dialog.WaitForDone();
    thread.Wait();

    ASSERT_EQ(notes.size(), 1u);  // no WM_SFX_HIDE: nothing was started
    EXPECT_EQ(notes[0].message, WM_SFX_SETUP_DONE);
    EXPECT_EQ(notes[0].wParam, static_cast<WPARAM>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(notes[0].lParam, 0);
    EXPECT_EQ(thread.GetErrorText(), setup);
    EXPECT_FALSE(probe::Exists(extracted.path())) << "extraction folder left behind";
}

TEST(SetupThreadTest, SecondBeginWhileRunningIsRefused) {
    probe::TempFolder reports(L"setup busy");
    probe::ScopedEnvironment reportVariable(L"SFX_PROBE_REPORT", reports.path() + L"report.txt");
    DialogStandIn dialog;
    SetupStartInfo info;
    info.window = dialog.get();
    info.setupFile = probe::ProbeProgram();
    info.show = SW_HIDE;
    CSetupThread thread;
    ASSERT_TRUE(thread.Begin(info));
    EXPECT_FALSE(thread.Begin(info));  // the worker pauses a second after the setup
    const std::vector<Note> notes = dialog.WaitForDone();
    thread.Wait();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back().lParam, 1);
}

TEST(BuildSetupStartInfoTest, FindsTheSetupInTheProductSubfolderAndForwardsValues) {
    probe::TempFolder extracted(L"setup info");
    ASSERT_TRUE(::CreateDirectoryW((extracted.path() + L"product").c_str(), nullptr));
    test::WriteAll(extracted.path() + L"product\\setup.exe", "MZ");
    ASSERT_TRUE(
        ::CreateDirectoryW((extracted.path() + L"setup.exe").c_str(), nullptr));  // a folder, not the setup

    sfx::SfxSettings settings;
    settings.extractDir = extracted.path();
    settings.setupFile = L"setup.exe";
    settings.setupParams = L"/silent";
    settings.forwardResourceData = true;
    settings.setupShow = SW_SHOWMAXIMIZED;
    const HWND window = reinterpret_cast<HWND>(0x1234);
    const SetupStartInfo info = BuildSetupStartInfo(window, settings, L"\"C:\\pkg.exe\" /q");
    EXPECT_EQ(info.window, window);
    EXPECT_EQ(info.extractDir, extracted.path());
    EXPECT_EQ(info.setupFile, extracted.path() + L"product\\setup.exe");
    EXPECT_EQ(info.valuesFile, extracted.path() + L"SetupValues.dat");
    EXPECT_EQ(info.params, L"-m \"" + extracted.path() + L"SetupValues.dat\" /silent /q");
    EXPECT_EQ(info.show, SW_SHOWMAXIMIZED);
}

TEST(SetupThreadTest, LaunchedFromTheSettingsTheSetupGetsTheValuesFileAndTheStubArguments) {
    probe::TempFolder reports(L"setup launch reports");
    const std::wstring report = reports.path() + L"report.txt";
    probe::ScopedEnvironment reportVariable(L"SFX_PROBE_REPORT", report);
    probe::TempFolder extracted(L"setup launch");
    ASSERT_TRUE(::CreateDirectoryW((extracted.path() + L"product").c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW(probe::ProbeProgram().c_str(), (extracted.path() + L"product\\setup.exe").c_str(),
                            FALSE));

    sfx::SfxSettings settings;
    settings.extractDir = extracted.path();
    settings.setupFile = L"setup.exe";
    settings.setupParams = L"/silent";
    settings.forwardResourceData = true;
    settings.setupShow = SW_HIDE;
    DialogStandIn dialog;
    CSetupThread thread;
    ASSERT_TRUE(thread.Begin(BuildSetupStartInfo(dialog.get(), settings, L"\"C:\\pkg.exe\" /q")));
    const std::vector<Note> notes = dialog.WaitForDone();
    thread.Wait();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back().lParam, 1);

    const probe::Report result = probe::ReadReport(report);
    ASSERT_TRUE(result.Complete());
    const std::wstring valuesFile = extracted.path() + L"SetupValues.dat";
    const auto& args = result.values.at("arg");
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[1], L"-m");
    EXPECT_EQ(args[2], valuesFile);
    EXPECT_EQ(args[3], L"/silent");
    EXPECT_EQ(args[4], L"/q");
    EXPECT_EQ(result.One("valuesFile"), valuesFile);
    EXPECT_TRUE(probe::SamePath(result.One("workingFolder"), extracted.path() + L"product"))
        << result.One("workingFolder");
    EXPECT_FALSE(probe::Exists(extracted.path()));
}

TEST(BuildSetupStartInfoTest, PackageStartsMsiexecFromTheSystemFolder) {
    sfx::SfxSettings settings;
    settings.extractDir = L"C:\\x\\";
    settings.setupFile = L"D:\\Product.MSI";
    settings.forwardResourceData = true;
    const SetupStartInfo info = BuildSetupStartInfo(nullptr, settings, L"pkg.exe");
    wchar_t system[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(info.setupFile, std::wstring(system, length) + L"\\msiexec.exe");
    EXPECT_EQ(info.params, L"/i D:\\Product.MSI");
    EXPECT_EQ(info.valuesFile, L"");
}

}  // namespace
