#include "riviru/ui/WndSubClass.h"

#include <commctrl.h>

namespace riviru {

namespace {
// One subclass id for all hooks; the reference (the object) tells them apart.
constexpr UINT_PTR kSubclassId = 0x6B76;  // "kv"
}  // namespace

WndSubClass::~WndSubClass() { Detach(); }

bool WndSubClass::Attach(HWND window) {
    if (window_ != nullptr || window == nullptr) return false;
    if (!::SetWindowSubclass(window, &SharedHookProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    window_ = window;
    return true;
}

bool WndSubClass::Detach() {
    if (window_ == nullptr) return false;
    ::RemoveWindowSubclass(window_, &SharedHookProc, kSubclassId);
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
