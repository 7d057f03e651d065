#include "riviru/ui/WndSubClass.h"

#include <commctrl.h>

namespace riviru {

namespace {
// The system tells subclasses apart by procedure and id, and all hooks share
// one procedure: each hook's id is its own address, so a second hook on the
// same window is added beside the first instead of replacing it.
UINT_PTR SubclassId(const WndSubClass* hook) noexcept { return reinterpret_cast<UINT_PTR>(hook); }
}  // namespace

WndSubClass::~WndSubClass() { Detach(); }

bool WndSubClass::Attach(HWND window) {
    if (window_ != nullptr || window == nullptr) return false;
    if (!::SetWindowSubclass(window, &SharedHookProc, SubclassId(this), reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    window_ = window;
    return true;
}

bool WndSubClass::Detach() {
    if (window_ == nullptr) return false;
    ::RemoveWindowSubclass(window_, &SharedHookProc, SubclassId(this));
    window_ = nullptr;
    return true;
}

LRESULT WndSubClass::DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK WndSubClass::SharedHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR reference) {
    auto* self = reinterpret_cast<WndSubClass*>(reference);
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->HookProc(window, message, wParam, lParam, result);
    } catch (...) {
        // A hook must not let an exception into the window manager.
        handled = false;
    }
    if (message == WM_NCDESTROY) {
        self->Detach();
    }
    return handled ? result : ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace riviru
