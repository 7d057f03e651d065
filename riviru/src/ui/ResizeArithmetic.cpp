#include "riviru/ui/ResizeArithmetic.h"

#include "riviru/ui/DpiScale.h"

namespace riviru {

namespace {

constexpr std::uint32_t kNoZOrder = 0x0004;
constexpr std::uint32_t kNoRedraw = 0x0008;
constexpr std::uint32_t kNoActivate = 0x0010;
constexpr std::uint32_t kNoCopyBits = 0x0100;
constexpr std::uint32_t kNoOwnerZOrder = 0x0200;

// One axis: near and far are the child's edges, the extents the client's.
void FollowAxis(int& nearEdge, int& farEdge, bool anchorNear, bool anchorFar, int oldNear, int oldFar,
                int newNear, int newFar) noexcept {
    const int farShift = newFar - oldFar;
    if (anchorNear && anchorFar) {
        farEdge += farShift;
    } else if (anchorFar) {
        nearEdge += farShift;
        farEdge += farShift;
    } else if (!anchorNear) {
        const int shift = DpiScale::CentringShift(oldFar - oldNear, newFar - newNear);
        nearEdge += shift;
        farEdge += shift;
    }
}

}  // namespace

LayoutRect ResizedChildRect(const LayoutRect& oldClient, const LayoutRect& newClient, const LayoutRect& child,
                            std::uint32_t flags) noexcept {
    LayoutRect r = child;
    FollowAxis(r.left, r.right, (flags & AnchorLeft) != 0, (flags & AnchorRight) != 0, oldClient.left,
               oldClient.right, newClient.left, newClient.right);
    FollowAxis(r.top, r.bottom, (flags & AnchorTop) != 0, (flags & AnchorBottom) != 0, oldClient.top,
               oldClient.bottom, newClient.top, newClient.bottom);
    if ((flags & PinTop) != 0) r.top = newClient.top;
    if ((flags & PinLeft) != 0) r.left = newClient.left;
    if ((flags & PinRight) != 0) r.right = newClient.right;
    if ((flags & PinBottom) != 0) r.bottom = newClient.bottom;
    return r;
}

std::uint32_t ResizeMoveFlags(std::uint32_t flags, bool redraw) noexcept {
    std::uint32_t result = kNoZOrder | kNoActivate | kNoOwnerZOrder;
    if ((flags & NoCopyBits) != 0) result |= kNoCopyBits;
    if (!redraw) result |= kNoRedraw;
    return result;
}

LayoutRect GripCell(const LayoutRect& client, int gripWidth, int gripHeight) noexcept {
    return LayoutRect{client.right - gripWidth, client.bottom - gripHeight, client.right, client.bottom};
}

}  // namespace riviru
