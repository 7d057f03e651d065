// WndSubClass: attaches a message hook to an existing window through the
// common controls' subclassing, so several hooks can sit on one window and
// each removes only itself. The hook detaches itself when the window goes.
#pragma once
#include <windows.h>

namespace riviru {

class WndSubClass {
public:
    WndSubClass() noexcept = default;
    WndSubClass(const WndSubClass&) = delete;
    WndSubClass& operator=(const WndSubClass&) = delete;
    virtual ~WndSubClass();

    virtual bool Attach(HWND window);
    virtual bool Detach();
    // true: handled, result goes back to the sender; false: the message goes
    // on to the window's procedure.
    virtual bool HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

    HWND GetAttachedWindow() const noexcept { return window_; }

protected:
    // Passes the current message on to the window's next procedure.
    static LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    static LRESULT CALLBACK SharedHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR reference);
    HWND window_ = nullptr;
};

}  // namespace riviru
