// The arithmetic of resizable dialogs, free of window handles so that it can be
// checked anywhere: where an anchored child goes when the dialog's client area
// changes, the position flags of that move, and the size grip's cell. Holds:
// ResizeAnchorFlags, LayoutRect, ResizedChildRect, ResizeMoveFlags, GripCell.
#pragma once
#include <cstdint>

namespace riviru {

// How a child follows the dialog's edges. An edge that is anchored on neither
// side of an axis leaves the child centred on that axis.
enum ResizeAnchorFlags : std::uint32_t {
    AnchorTop = 0x0001,     // top edge keeps its distance to the dialog's top
    AnchorLeft = 0x0002,    // left edge keeps its distance to the dialog's left
    AnchorRight = 0x0004,   // right edge keeps its distance to the dialog's right
    AnchorBottom = 0x0008,  // bottom edge keeps its distance to the dialog's bottom
    PinTop = 0x0100,        // top edge is set to the client top
    PinLeft = 0x0200,       // left edge is set to the client left
    PinRight = 0x0400,      // right edge is set to the client right
    PinBottom = 0x0800,     // bottom edge is set to the client bottom
    NoCopyBits = 0x10000,   // the child is repositioned without copying its old pixels
};

// A rectangle as Windows keeps it: right and bottom are exclusive.
struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int Width() const noexcept { return right - left; }
    constexpr int Height() const noexcept { return bottom - top; }
    constexpr bool Contains(int x, int y) const noexcept {
        return x >= left && x < right && y >= top && y < bottom;
    }
};

constexpr bool operator==(const LayoutRect& a, const LayoutRect& b) noexcept {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
constexpr bool operator!=(const LayoutRect& a, const LayoutRect& b) noexcept {
    return !(a == b);
}

// The child's new rectangle when the client area changes from oldClient to
// newClient. Per axis: anchored at both sides it stretches, at the far side
// only it moves, at the near side only it stays, at neither it stays centred
// (the two halves truncated separately). Pins then set single edges to the
// new client edges.
LayoutRect ResizedChildRect(const LayoutRect& oldClient, const LayoutRect& newClient, const LayoutRect& child,
                            std::uint32_t flags) noexcept;

// The SetWindowPos flags of a child's move: no z-order change, no activation,
// no owner z-order (0x214), plus no copy bits (0x100) for NoCopyBits and no
// redraw (0x8) when redraw is false.
std::uint32_t ResizeMoveFlags(std::uint32_t flags, bool redraw) noexcept;

// The lower right cell of the client area in which the size grip sits,
// gripWidth wide and gripHeight high.
LayoutRect GripCell(const LayoutRect& client, int gripWidth, int gripHeight) noexcept;

}  // namespace riviru
