// ResizeLayout: the children of a resizable dialog and the edges they follow
// (ResizeAnchorFlags). Each child is registered with its rectangle in the
// dialog's client coordinates; Apply moves all of them in one deferred batch
// when the client area has changed. Holds: ResizeAnchor, ResizeLayout.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>

#include "riviru/ui/ResizeArithmetic.h"

namespace fw {
class CWnd;
}

namespace riviru {

struct ResizeAnchor {
    HWND child = nullptr;
    std::uint32_t flags = 0;
    LayoutRect rect;  // in the dialog's client coordinates
};

constexpr LayoutRect ToLayoutRect(const RECT& r) noexcept {
    return LayoutRect{r.left, r.top, r.right, r.bottom};
}
constexpr RECT ToRect(const LayoutRect& r) noexcept {
    return RECT{r.left, r.top, r.right, r.bottom};
}

class ResizeLayout {
public:
    // Forgets all children and takes the dialog's current client rectangle as
    // the one they are laid out for; false when the window does not exist.
    bool Init(HWND dialog);
    bool Init(const fw::CWnd& dialog);

    // Registers a child with its current rectangle. A child that is already
    // registered keeps its first registration (and this returns true); false
    // when the child's rectangle cannot be read.
    bool Add(HWND child, std::uint32_t flags);
    bool Add(int controlId, std::uint32_t flags);
    bool Add(const fw::CWnd& child, std::uint32_t flags);

    // Re-reads the rectangles of all registered children (after a derived
    // dialog has moved them itself).
    void Refresh();

    // Moves the children for the dialog's new client area, redrawing them or
    // not. Returns true.
    bool Apply(bool redraw);

    HWND Dialog() const noexcept { return dialog_; }
    std::size_t Count() const noexcept { return count_; }
    // The registration of a child, or null.
    const ResizeAnchor* Find(HWND child) const noexcept;

private:
    bool ReadChildRect(HWND child, LayoutRect& rect) const noexcept;

    HWND dialog_ = nullptr;
    LayoutRect client_;
    std::size_t count_ = 0;
    std::map<HWND, ResizeAnchor> children_;
};

}  // namespace riviru
