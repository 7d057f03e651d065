// CRichEditCtrlEx: the toolkit's text control, a rich edit control of version
// 5 that shows RTF, turns link markup ("#LINK#text#url##", "<LINK text|url>")
// into hyperlinks, can behave like a static label (no caret, no selection,
// clicks fall through except on links) and paints a visual-style border. A
// clicked link goes to a handler of the dialog or opens through the desktop
// shell.
#pragma once
#include <windows.h>

#include <richedit.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/RichEditCtrl.h"
#include "riviru/ui/CThemedBorderHelper.h"
#include "riviru/ui/LinkMarkup.h"

namespace riviru {

class CRichEditCtrlEx : public fw::CRichEditCtrl {
public:
    // (url, link text) -> true when it handled the click.
    using LinkHandler = std::function<bool(const std::wstring& url, const std::wstring& text)>;

    CRichEditCtrlEx();
    ~CRichEditCtrlEx() override;

    // Loads msftedit.dll from the system folder once per process; false when
    // it cannot be loaded.
    static bool LoadRichEditLibrary() noexcept;

    // Creates a "RICHEDIT50W" window; false when the library cannot be loaded
    // or the window not created.
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);

    // Replaces the whole content by UTF-8 RTF, link markup converted.
    void SetRtfText(std::string_view rtf);
    // True when the control confirmed that it shows the hyperlink fields
    // itself at the last SetRtfText; otherwise their texts were coloured.
    bool ShowsFieldsItself() const noexcept { return friendlyUrls_; }

    void SetLabelMode(bool on);
    bool IsLabelMode() const noexcept { return labelMode_; }
    // Whether the dialog manager may select the whole text when the control
    // gets the focus.
    void SetSelectAllOnFocus(bool on) noexcept { selectAllOnFocus_ = on; }

    // The link click routine for an EN_LINK notification of this control:
    // acts on WM_LBUTTONDOWN only; result is always 0.
    void OnLinkNotify(HWND dialog, const ENLINK& notification, LRESULT* result, const LinkHandler& handler);
    // Url and link text of a link range.
    LinkTarget GetLinkAt(CHARRANGE range) const;

    // The rectangle of the last resize request (EN_REQUESTRESIZE).
    const RECT& GetRequestedRect() const noexcept { return requestedRect_; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void PreSubclassWindow() override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    LRESULT OnSetCursor();
    LRESULT OnNcHitTest(LPARAM point);
    LRESULT OnGetDlgCode();
    LRESULT OnSetFocus();
    LRESULT OnPrintClient(HDC dc);
    void HitTestLink(UINT message, WPARAM wParam, LPARAM lParam);
    // The link range around a character, empty when it is no link.
    bool LinkRangeAt(LONG character, CHARRANGE& range);
    bool IsLinkText(CHARRANGE range);
    bool IsOverLink(POINT clientPoint);
    void StreamRtf(const std::string& rtf);
    void ColourLinks();
    void MarkPlainLinks(const std::vector<PlainLink>& links);
    void OpenLink(HWND dialog, std::wstring url, const std::wstring& text, const LinkHandler& handler);

    bool labelMode_ = false;
    bool selectAllOnFocus_ = true;
    bool friendlyUrls_ = false;
    // Links this control marked itself because it drops hyperlink fields:
    // their character ranges with url and text.
    struct MarkedLink {
        LONG begin;
        LONG end;
        PlainLink link;
    };
    std::vector<MarkedLink> plainLinks_;
    RECT requestedRect_{};
    CThemedBorderHelper border_;
};

}  // namespace riviru
