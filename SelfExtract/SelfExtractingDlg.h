// CSelfExtractingDlg: the stub's window for the second half of a run. Inside
// its modal loop it starts the extraction worker, shows its progress, answers
// its questions and errors, offers another folder when the disk is full, and
// at the end either shows the extract-only note or starts the setup worker and
// waits for the setup. At the levels Silent and Qm it exists hidden; the
// sequence is the same. resultCode is the run's exit code afterwards.
#pragma once
#include <windows.h>

#include <shobjidl.h>

#include <cstdint>
#include <string>

#include "ExtractThread.h"
#include "SetupThread.h"
#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "riviru/localization/IStringResources.h"
#include "riviru/shell/ScaledIcon.h"
#include "riviru/ui/CVistaDialog.h"
#include "riviru/win/UniqueResource.h"
#include "sfx/SfxSettings.h"

struct ExtractionError;

class CSelfExtractingDlg : public riviru::CVistaDialog {
public:
    CSelfExtractingDlg(HWND parent, const sfx::SfxSettings& settings, const riviru::IStringResources& strings);
    ~CSelfExtractingDlg() override;

    // Visible levels run the ordinary modal dialog, which starts the run
    // when it is first shown; Silent and Qm create it hidden and start at
    // once. Returns the dialog's end value (0 when it could not be created).
    INT_PTR DoModal() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::int32_t GetResultCode() const noexcept { return resultCode; }
    const sfx::SfxSettings& GetSettings() const noexcept { return settings; }

    // Progress in per mille: the bar, the per-cent title and the taskbar.
    void SetProgress(int perMille);
    // 1 normal, 2 error, 3 paused: the bar (version 6 and later) and the taskbar.
    void SetProgressState(int state);

protected:
    void DoDataExchange(fw::CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

private:
    void SetStatusText(const std::wstring& text);
    void ArrangeLargeLayout(double scale);

    void OnStart();
    void OnExtractError(const ExtractionError& error);
    void OnExtractFailed();
    void OnExtractDone();
    void OnSetupDone(WPARAM code, LPARAM setupRan);
    LRESULT OnAskOverwrite(const wchar_t* existingPath);
    LRESULT OnAskPassword(wchar_t* buffer, size_t capacity);
    void OnTaskbarButtonCreated();

    void LaunchSetup();
    void ShowExtractSuccess();
    void OpenExtractFolder();
    void ShowError(const std::wstring& text);

    HWND parentWindow;
    sfx::SfxSettings settings;
    const riviru::IStringResources& strings;
    std::int32_t resultCode = 0;
    ExtractThreadParams extractParams;
    CExtractThread extractThread;
    CSetupThread setupThread;
    riviru::ScaledIcon bigIcon;
    riviru::win::com_ptr<ITaskbarList3> taskbarList;
    fw::CProgressCtrl progressBar;
    fw::CStatic iconControl;
    fw::CFont headerFont;
    bool started = false;
    bool retryPending = false;
};
