// CWnd: a C++ object attached to one window. Once attached (SubclassWindow,
// CreateEx, or a dialog's creation), every message of the window goes through
// the object's WindowProc; Default() hands the current message on to the
// procedure the window had before. The object never owns the window's life:
// it forgets the window at WM_NCDESTROY and then calls PostNcDestroy.
#pragma once
#include <windows.h>

#include <string>

namespace fw {

class CWnd {
public:
    CWnd() noexcept = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Restores the window's own procedure when it still is attached.
    virtual ~CWnd();

    // The object attached to a window by this framework, or null.
    static CWnd* FromHandlePermanent(HWND window) noexcept;

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    operator HWND() const noexcept { return m_hWnd; }

    // Routes the window's messages through this object from now on; false
    // when the window does not exist or already belongs to an object.
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(int id, HWND parent);
    // Gives the window its own procedure back; returns it.
    HWND UnsubclassWindow() noexcept;

    // Creates a child or popup window of a registered class and attaches it.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
                  HWND parent, UINT id);

    // Called by the message loops before a message is dispatched to this
    // window or one of its children; true swallows the message.
    virtual BOOL PreTranslateMessage(MSG* message);

    // The message handler; derived classes handle their messages and pass the
    // rest to the base class, which ends in Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Passes the message being handled to the window's previous procedure.
    LRESULT Default();

    // Thin helpers over the window functions.
    HWND GetDlgItem(int id) const noexcept { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const noexcept { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const noexcept { return ::GetParent(m_hWnd); }
    HWND GetOwner() const noexcept { return ::GetWindow(m_hWnd, GW_OWNER); }
    void SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
    std::wstring GetWindowText() const;
    void SetDlgItemText(int id, const std::wstring& text) { ::SetDlgItemTextW(m_hWnd, id, text.c_str()); }
    BOOL ShowWindow(int command) noexcept { return ::ShowWindow(m_hWnd, command); }
    BOOL EnableWindow(bool enable) noexcept { return ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    bool IsWindowVisible() const noexcept { return ::IsWindowVisible(m_hWnd) != FALSE; }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    void Invalidate(bool erase = true) noexcept { ::InvalidateRect(m_hWnd, nullptr, erase ? TRUE : FALSE); }
    RECT GetClientRect() const noexcept;
    RECT GetWindowRect() const noexcept;
    // The rectangle of a child in this window's client coordinates.
    RECT GetChildRect(HWND child) const noexcept;
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) noexcept {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    void SetFont(HFONT font, bool redraw = true) noexcept {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
    HFONT GetFont() const noexcept { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    DWORD GetStyle() const noexcept { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const noexcept { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    // Changes the style bits; with swpFlags, also lets the frame follow.
    bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0) noexcept;
    bool ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0) noexcept;
    // Centres the window on its owner (or the given window), or on the work
    // area of the screen when there is none or it is hidden.
    void CenterWindow(HWND alternateOwner = nullptr) noexcept;

    HWND m_hWnd = nullptr;

protected:
    // Called when a window is attached, before any message of it arrives.
    virtual void PreSubclassWindow();
    // WM_COMMAND and WM_NOTIFY for this window; true when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A notification that the parent reflects to the control it came from
    // before handling it itself; true swallows it (the parent never sees it).
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // After WM_NCDESTROY, when the object no longer has a window.
    virtual void PostNcDestroy();

    // Attaches without the PreSubclassWindow call (dialogs use it while
    // their window is being created).
    bool Attach(HWND window, bool callPreSubclass);

    // The message being handled (for Default).
    MSG current_{};

private:
    static LRESULT CALLBACK WindowProcThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    WNDPROC previousProc_ = nullptr;
};

}  // namespace fw
