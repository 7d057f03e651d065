#include "riviru/ui/ResizeLayout.h"

#include <vector>

#include "framework/Wnd.h"

namespace riviru {

bool ResizeLayout::Init(HWND dialog) {
    children_.clear();
    count_ = 0;
    dialog_ = nullptr;
    client_ = LayoutRect{};
    if (dialog == nullptr || !::IsWindow(dialog)) return false;
    RECT client{};
    if (!::GetClientRect(dialog, &client)) return false;
    dialog_ = dialog;
    client_ = ToLayoutRect(client);
    return true;
}

bool ResizeLayout::Init(const fw::CWnd& dialog) {
    return Init(dialog.GetSafeHwnd());
}

bool ResizeLayout::ReadChildRect(HWND child, LayoutRect& rect) const noexcept {
    if (dialog_ == nullptr || child == nullptr) return false;
    RECT r{};
    if (!::GetWindowRect(child, &r)) return false;
    // Both corners at once, so a mirrored dialog gets its rectangle right too.
    // A result of 0 is also the answer for a zero offset: only the last error
    // tells a failure.
    ::SetLastError(0);
    if (::MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2) == 0 && ::GetLastError() != 0) {
        return false;
    }
    rect = ToLayoutRect(r);
    return true;
}

bool ResizeLayout::Add(HWND child, std::uint32_t flags) {
    if (children_.count(child) != 0) return true;
    ResizeAnchor anchor{child, flags, {}};
    if (!ReadChildRect(child, anchor.rect)) return false;
    children_.emplace(child, anchor);
    count_ = children_.size();
    return true;
}

bool ResizeLayout::Add(int controlId, std::uint32_t flags) {
    if (dialog_ == nullptr) return false;
    return Add(::GetDlgItem(dialog_, controlId), flags);
}

bool ResizeLayout::Add(const fw::CWnd& child, std::uint32_t flags) {
    return Add(child.GetSafeHwnd(), flags);
}

void ResizeLayout::Refresh() {
    for (auto& entry : children_) {
        ReadChildRect(entry.first, entry.second.rect);
    }
}

const ResizeAnchor* ResizeLayout::Find(HWND child) const noexcept {
    const auto found = children_.find(child);
    return found == children_.end() ? nullptr : &found->second;
}

bool ResizeLayout::Apply(bool redraw) {
    if (children_.empty() || dialog_ == nullptr) return true;
    RECT newClientRect{};
    if (!::GetClientRect(dialog_, &newClientRect)) return true;
    const LayoutRect newClient = ToLayoutRect(newClientRect);

    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(children_.size()));
    for (auto& entry : children_) {
        ResizeAnchor& anchor = entry.second;
        anchor.rect = ResizedChildRect(client_, newClient, anchor.rect, anchor.flags);
        const LayoutRect& r = anchor.rect;
        const UINT flags = ResizeMoveFlags(anchor.flags, redraw);
        if (batch != nullptr) {
            // A failed DeferWindowPos has already freed the batch.
            batch =
                ::DeferWindowPos(batch, anchor.child, nullptr, r.left, r.top, r.Width(), r.Height(), flags);
        }
        if (batch == nullptr) {
            ::SetWindowPos(anchor.child, nullptr, r.left, r.top, r.Width(), r.Height(), flags);
        }
    }
    client_ = newClient;
    if (batch != nullptr) ::EndDeferWindowPos(batch);
    return true;
}

}  // namespace riviru
