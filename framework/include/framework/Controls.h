// Thin wrappers of the common controls the dialogs bind (each a CWnd, so a
// dialog attaches them with DDX_Control or creates them with CreateEx):
//   CStatic, CButton, CEdit, CComboBox, CProgressCtrl
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

namespace fw {

class CStatic : public CWnd {
public:
    HICON SetIcon(HICON icon) noexcept {
        return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
    }
    HICON GetIcon() const noexcept { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
};

class CButton : public CWnd {
public:
    void SetButtonStyle(UINT style, bool redraw = true) noexcept {
        SendMessage(BM_SETSTYLE, style, redraw ? TRUE : FALSE);
    }
    int GetCheck() const noexcept { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) noexcept { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CEdit : public CWnd {
public:
    void SetLimitText(UINT maxChars) noexcept { SendMessage(EM_SETLIMITTEXT, maxChars); }
    UINT GetLimitText() const noexcept { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
    void SetSel(int start, int end) noexcept { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
};

class CComboBox : public CWnd {
public:
    int AddString(const std::wstring& text) noexcept {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int GetCount() const noexcept { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const noexcept { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) noexcept { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    DWORD_PTR GetItemData(int index) const noexcept {
        return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)));
    }
    int SetItemData(int index, DWORD_PTR data) noexcept {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
    std::wstring GetLBText(int index) const;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int lower, int upper) noexcept { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    int SetPos(int position) noexcept { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
    int GetPos() const noexcept { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    // PBST_NORMAL, PBST_ERROR or PBST_PAUSED (progress bars of version 6).
    int SetState(int state) noexcept { return static_cast<int>(SendMessage(PBM_SETSTATE, static_cast<WPARAM>(state))); }
};

}  // namespace fw
