#include "framework/Wnd.h"

#include <vector>

#include "framework/WinApp.h"

namespace fw {

namespace {
// The window property that carries the attached object.
constexpr wchar_t kObjectProperty[] = L"fw.CWnd";
}  // namespace

CWnd::~CWnd() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND window) noexcept {
    if (window == nullptr) return nullptr;
    return static_cast<CWnd*>(::GetPropW(window, kObjectProperty));
}

bool CWnd::Attach(HWND window, bool callPreSubclass) {
    if (window == nullptr || m_hWnd != nullptr || !::IsWindow(window) || FromHandlePermanent(window) != nullptr)
        return false;
    if (!::SetPropW(window, kObjectProperty, this)) return false;
    m_hWnd = window;
    if (callPreSubclass) PreSubclassWindow();
    previousProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcThunk)));
    return true;
}

bool CWnd::SubclassWindow(HWND window) { return Attach(window, true); }

bool CWnd::SubclassDlgItem(int id, HWND parent) { return Attach(::GetDlgItem(parent, id), true); }

HWND CWnd::UnsubclassWindow() noexcept {
    HWND window = m_hWnd;
    if (window == nullptr) return nullptr;
    if (previousProc_ != nullptr) ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    ::RemovePropW(window, kObjectProperty);
    previousProc_ = nullptr;
    m_hWnd = nullptr;
    return window;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
                    HWND parent, UINT id) {
    const bool child = (style & WS_CHILD) != 0;
    HWND window = ::CreateWindowExW(exStyle, className, title != nullptr ? title : L"", style, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent,
                                    child ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return false;
    if (!SubclassWindow(window)) {
        ::DestroyWindow(window);
        return false;
    }
    return true;
}

LRESULT CALLBACK CWnd::WindowProcThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = FromHandlePermanent(window);
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    const MSG saved = self->current_;
    self->current_ = MSG{window, message, wParam, lParam, 0, {0, 0}};
    LRESULT result = 0;
    try {
        result = self->WindowProc(message, wParam, lParam);
    } catch (...) {
        // An exception must not cross the window manager: under Wine it would
        // end the process in the sender. The application decides what to log.
        if (CWinApp* app = CWinApp::Current()) result = app->ProcessWndProcException(std::current_exception(), self->current_);
    }
    self->current_ = saved;
    if (message == WM_NCDESTROY && self->m_hWnd == window) {
        self->UnsubclassWindow();
        self->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::Default() {
    if (m_hWnd == nullptr) return 0;
    if (previousProc_ != nullptr)
        return ::CallWindowProcW(previousProc_, m_hWnd, current_.message, current_.wParam, current_.lParam);
    return ::DefWindowProcW(m_hWnd, current_.message, current_.wParam, current_.lParam);
}

bool CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND child = nullptr;
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != nullptr) child = header->hwndFrom;
    } else {
        child = reinterpret_cast<HWND>(lParam);
    }
    CWnd* target = FromHandlePermanent(child);
    if (target == nullptr || target == this) return false;
    return target->OnChildNotify(message, wParam, lParam, result) != FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        if (lParam != 0 && ReflectToChild(message, wParam, lParam, &result)) return result;
        if (OnCommand(wParam, lParam)) return 0;
        break;
    case WM_NOTIFY:
        if (ReflectToChild(message, wParam, lParam, &result)) return result;
        if (OnNotify(wParam, lParam, &result)) return result;
        break;
    default:
        break;
    }
    return Default();
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PreSubclassWindow() {}
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }
BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }
void CWnd::PostNcDestroy() {}

std::wstring CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

RECT CWnd::GetClientRect() const noexcept {
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetWindowRect() const noexcept {
    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetChildRect(HWND child) const noexcept {
    RECT rect{};
    if (!::GetWindowRect(child, &rect)) return RECT{};
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

namespace {
bool ModifyLong(HWND window, int index, DWORD remove, DWORD add, UINT swpFlags) noexcept {
    const auto old = static_cast<DWORD>(::GetWindowLongPtrW(window, index));
    const DWORD updated = (old & ~remove) | add;
    if (updated == old) return false;
    ::SetWindowLongPtrW(window, index, static_cast<LONG_PTR>(updated));
    if (swpFlags != 0)
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return true;
}
}  // namespace

bool CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) noexcept {
    return ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}

bool CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) noexcept {
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}

void CWnd::CenterWindow(HWND alternateOwner) noexcept {
    const RECT window = GetWindowRect();
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;

    HWND center = alternateOwner != nullptr ? alternateOwner : GetOwner();
    if ((GetStyle() & WS_CHILD) != 0) center = GetParent();
    RECT area{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    HMONITOR screen = ::MonitorFromWindow(center != nullptr ? center : m_hWnd, MONITOR_DEFAULTTONEAREST);
    ::GetMonitorInfoW(screen, &monitor);
    const RECT work = monitor.rcWork;
    if (center != nullptr && ::IsWindowVisible(center) && !::IsIconic(center)) {
        ::GetWindowRect(center, &area);
    } else {
        area = work;
    }
    int x = (area.left + area.right) / 2 - width / 2;
    int y = (area.top + area.bottom) / 2 - height / 2;
    // Keep the window on the work area.
    if (x + width > work.right) x = work.right - width;
    if (x < work.left) x = work.left;
    if (y + height > work.bottom) y = work.bottom - height;
    if (y < work.top) y = work.top;
    if ((GetStyle() & WS_CHILD) != 0) {
        POINT origin{x, y};
        ::ScreenToClient(GetParent(), &origin);
        x = origin.x;
        y = origin.y;
    }
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace fw
