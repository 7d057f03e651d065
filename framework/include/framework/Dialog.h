// CDialog: a dialog from a resource template or from a template in memory,
// run modally by our own loop (so PreTranslateMessage works as for any other
// window) or created modeless. The window is attached to the object while it
// is being created, so every message after the first one passes through
// WindowProc; Default() then reaches the system's dialog procedure.
#pragma once
#include "framework/DataExchange.h"
#include "framework/Wnd.h"

namespace fw {

class CDialog : public CWnd {
public:
    // From the dialog resource with this id in the application's module.
    explicit CDialog(UINT templateId, HWND parent = nullptr) noexcept;
    // From a template in memory that stays valid while the dialog exists
    // (set with InitModalIndirect before DoModal).
    explicit CDialog(HWND parent = nullptr) noexcept;
    ~CDialog() override;

    void InitModalIndirect(const DLGTEMPLATE* dialogTemplate) noexcept { indirectTemplate_ = dialogTemplate; }

    // Creates the dialog, disables the owner, runs the loop until EndDialog
    // and returns its value; -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (hidden unless the template says visible).
    bool Create(HWND owner);
    // Runs the message loop until EndDialog; with showOnIdle the window is
    // shown once the queue is empty the first time, as a modal dialog is.
    INT_PTR RunModalLoop(bool showOnIdle);
    void EndDialog(INT_PTR result) noexcept;
    bool IsEnded() const noexcept { return !continueModal_; }

    bool UpdateData(bool saveAndValidate);
    // Dialog units to pixels with this dialog's font.
    RECT MapDialogRect(RECT rect) const noexcept;
    void GotoDlgCtrl(HWND control) noexcept;
    void SetDefID(UINT id) noexcept { SendMessage(DM_SETDEFID, id); }

    BOOL PreTranslateMessage(MSG* message) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND GetParentWindow() const noexcept { return parent_; }

protected:
    virtual void DoDataExchange(CDataExchange* exchange);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    HWND parent_ = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    const DLGTEMPLATE* LoadTemplate() const noexcept;
    bool CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND owner);

    UINT templateId_ = 0;
    const DLGTEMPLATE* indirectTemplate_ = nullptr;
    bool continueModal_ = false;
    INT_PTR result_ = -1;
};

}  // namespace fw
