// CBigMessageBox: the toolkit's replacement of the system message box. It
// shows a caption, an optional bold title line, a message of any length as
// rich text with clickable links, an optional system icon and a
// right-aligned row of push buttons in the bottom band, and returns the id of
// the button that closed it. The dialog comes from a template in memory; all
// layout is computed at initialisation from the texts, the dialog font and
// the DPI. A text taller than the maximum scrolls and leaves the box
// resizable; otherwise the box has a fixed size and the text behaves like a
// label.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "riviru/shell/ScaledIcon.h"
#include "riviru/ui/BigMessageBoxFlags.h"
#include "riviru/ui/CVistaDialog.h"
#include "riviru/ui/MessageBoxButton.h"
#include "riviru/ui/MessageBoxIcon.h"
#include "riviru/ui/MessageBoxMetrics.h"
#include "riviru/ui/RichEditCtrlEx.h"

namespace riviru {

class CBigMessageBox : public CVistaDialog {
public:
    static constexpr int kTextControlId = 1001;
    static constexpr int kIconControlId = 1002;
    static constexpr int kTextLimit = 0x1000000;

    using LinkHandler = CRichEditCtrlEx::LinkHandler;

    // Null strings count as empty; an empty caption shows the application
    // name. flags is a set of BigMessageBoxFlags.
    CBigMessageBox(HWND parent, const wchar_t* caption, const wchar_t* title, const wchar_t* text,
                   MessageBoxIcon icon, std::uint32_t flags);
    ~CBigMessageBox() override;

    // Appends a button; the order of the calls is the order on screen.
    void AddButton(int id, std::wstring text, bool isDefault);
    void SetLinkHandler(LinkHandler handler) { linkHandler_ = std::move(handler); }

    const std::vector<MessageBoxButton>& GetButtons() const noexcept { return buttons_; }
    const MessageBoxMetrics& GetMetrics() const noexcept { return metrics_; }

    BOOL PreTranslateMessage(MSG* message) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    bool CreateIcon();
    void CreateTextControl(HFONT font);
    // The text's extent: unwrapped first, wrapped at the control's width when
    // wider than the maximum.
    SIZE MeasureText();
    void CreateButtons(HFONT font, const std::vector<LayoutRect>& rects);
    void MakeFixedSize();
    void FitWindowToClient(int clientWidth, int clientHeight);
    void OnWindowPosChanged(const WINDOWPOS* position);

    std::wstring caption_;
    std::wstring title_;
    std::wstring text_;
    MessageBoxIcon icon_;
    std::uint32_t flags_;
    std::vector<MessageBoxButton> buttons_;
    int textLimit_ = kTextLimit;
    MessageBoxMetrics metrics_;
    CRichEditCtrlEx textControl_;
    fw::CStatic iconControl_;
    std::vector<std::unique_ptr<fw::CButton>> buttonWindows_;
    ScaledIcon iconHandle_;
    RECT textExtent_{};
    bool shown_ = false;
    LinkHandler linkHandler_;
    // The dialog template, DWORD aligned as the system needs it.
    std::vector<DWORD> template_;
};

}  // namespace riviru
