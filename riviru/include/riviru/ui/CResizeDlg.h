// CResizeDlg: a dialog whose registered children follow its edges (see
// ResizeLayout), with a size grip drawn and hit-tested in the lower right
// corner and the minimum and maximum tracking sizes reported to the system.
// The grip exists only for dialogs with a sizing border that are neither
// maximised nor child windows.
#pragma once
#include <windows.h>

#include <climits>

#include "framework/Dialog.h"
#include "riviru/ui/ResizeLayout.h"

namespace riviru {

class CResizeDlg : public fw::CDialog {
public:
    explicit CResizeDlg(UINT templateId, HWND parent = nullptr) noexcept;
    explicit CResizeDlg(HWND parent = nullptr) noexcept;
    ~CResizeDlg() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    ResizeLayout& GetLayout() noexcept { return layout_; }
    const ResizeLayout& GetLayout() const noexcept { return layout_; }

    void SetMinTrackSize(SIZE size) noexcept { minTrackSize_ = size; }
    void SetMaxTrackSize(SIZE size) noexcept { maxTrackSize_ = size; }
    SIZE GetMinTrackSize() const noexcept { return minTrackSize_; }
    SIZE GetMaxTrackSize() const noexcept { return maxTrackSize_; }
    bool IsGripShown() const noexcept { return gripShown_; }

protected:
    // Base initialisation, then the grip state and the layout's start.
    BOOL OnInitDialog() override;

    // The dialog has a sizing border and is neither maximised nor a child.
    bool HasGrip() const noexcept;
    // The grip cell of a client rectangle (SM_CXVSCROLL by SM_CYHSCROLL).
    static RECT GripCellOf(const RECT& client) noexcept;
    // Draws the grip into the current client area: the visual style's size
    // box, or the classic size-grip frame control without visual styles.
    void DrawGrip(HDC dc) const noexcept;

    void OnSize(UINT kind, int width, int height);
    BOOL OnEraseBkgnd(HDC dc);
    LRESULT OnNcHitTest(LPARAM point);
    void OnGetMinMaxInfo(MINMAXINFO* info);

    ResizeLayout layout_;
    SIZE minTrackSize_{0, 0};
    SIZE maxTrackSize_{INT_MAX, INT_MAX};
    bool gripShown_ = false;
    RECT gripClient_{};
};

}  // namespace riviru
