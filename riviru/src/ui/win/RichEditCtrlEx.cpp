#include "riviru/ui/RichEditCtrlEx.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "framework/WaitCursor.h"
#include "framework/WinApp.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/shell/DesktopShell.h"
#include "riviru/shell/ShellUrl.h"
#include "riviru/win/SystemLibrary.h"
#include "riviru/win/UniqueResource.h"

namespace riviru {
namespace {

// How far a link range is grown to each side of the character under the mouse.
constexpr int kMaxLinkSteps = 2048;

// The RTF handed to EM_STREAMIN, piece by piece.
struct StreamSource {
    std::string_view text;
    std::size_t offset = 0;
};

DWORD CALLBACK StreamOut(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t count =
        std::min(source->text.size() - source->offset, static_cast<std::size_t>(std::max<LONG>(wanted, 0)));
    std::memcpy(buffer, source->text.data() + source->offset, count);
    source->offset += count;
    *given = static_cast<LONG>(count);
    return 0;
}

std::wstring ApplicationName() {
    const fw::CWinApp* app = fw::CWinApp::Current();
    return app != nullptr ? app->GetAppName() : std::wstring();
}

}  // namespace

CRichEditCtrlEx::CRichEditCtrlEx() : border_(L"EDIT", 6, 1, 4, 3, 2) {}

CRichEditCtrlEx::~CRichEditCtrlEx() = default;

bool CRichEditCtrlEx::LoadRichEditLibrary() noexcept {
    // Kept for the life of the process: windows of its class may exist until
    // the end.
    static const win::unique_module library(win::LoadSystemLibrary(L"msftedit.dll"));
    return static_cast<bool>(library);
}

bool CRichEditCtrlEx::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (!LoadRichEditLibrary()) return false;
    return CreateEx(0, MSFTEDIT_CLASS, L"", style, rect, parent, id);
}

void CRichEditCtrlEx::PreSubclassWindow() {
    fw::CRichEditCtrl::PreSubclassWindow();
    border_.Attach(m_hWnd);
}

void CRichEditCtrlEx::StreamRtf(const std::string& rtf) {
    StreamSource source{rtf};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = &StreamOut;
    StreamIn(SF_RTF, stream);
}

void CRichEditCtrlEx::SetRtfText(std::string_view rtf) {
    const LRESULT style = SendMessage(EM_SETEDITSTYLEEX, SES_EX_HANDLEFRIENDLYURL, SES_EX_HANDLEFRIENDLYURL);
    friendlyUrls_ = (static_cast<DWORD>(style) & SES_EX_HANDLEFRIENDLYURL) != 0;
    plainLinks_.clear();

    const std::string converted = ConvertLinkMarkup(rtf);
    StreamRtf(converted);
    if (friendlyUrls_) return;
    if (converted != rtf && GetTextRange(0, GetTextLength()).find(L"HYPERLINK") == std::wstring::npos) {
        // This control read the hyperlink fields without their texts (Wine's
        // rich edit drops field groups and shows hidden text): show each
        // link's text alone and mark it as a link here.
        std::vector<PlainLink> links;
        StreamRtf(StripLinkMarkup(rtf, links));
        MarkPlainLinks(links);
        return;
    }
    ColourLinks();
}

void CRichEditCtrlEx::MarkPlainLinks(const std::vector<PlainLink>& links) {
    const CHARRANGE saved = GetSel();
    const std::wstring text = GetTextRange(0, GetTextLength());
    std::size_t from = 0;
    for (const PlainLink& link : links) {
        const std::size_t at = link.text.empty() ? std::wstring::npos : text.find(link.text, from);
        if (at == std::wstring::npos) continue;
        const auto begin = static_cast<LONG>(at);
        const auto end = static_cast<LONG>(at + link.text.size());
        SetSel(begin, end);
        CHARFORMAT2W format{};
        format.dwMask = CFM_LINK | CFM_UNDERLINE | CFM_COLOR;
        format.dwEffects = CFE_LINK | CFE_UNDERLINE;
        format.crTextColor = ::GetSysColor(COLOR_HOTLIGHT);
        SetSelectionCharFormat(format);
        plainLinks_.push_back({begin, end, link});
        from = at + link.text.size();
    }
    SetSel(saved);
}

void CRichEditCtrlEx::ColourLinks() {
    const CHARRANGE saved = GetSel();
    const std::wstring text = GetTextRange(0, GetTextLength());
    for (const LinkTextRange& range : FindHyperlinkTexts(text)) {
        SetSel(static_cast<LONG>(range.begin), static_cast<LONG>(range.end));
        CHARFORMAT2W format{};
        format.dwMask = CFM_UNDERLINE | CFM_COLOR;
        format.dwEffects = CFE_UNDERLINE;
        format.crTextColor = ::GetSysColor(COLOR_HOTLIGHT);
        SetSelectionCharFormat(format);
    }
    SetSel(saved);
}

void CRichEditCtrlEx::SetLabelMode(bool on) {
    if (on) {
        ::HideCaret(m_hWnd);
        HideSelection(true, true);
        selectAllOnFocus_ = false;
        ModifyStyle(WS_TABSTOP, 0);
        SendMessage(EM_SETREADONLY, TRUE);
        SetMargins(EC_LEFTMARGIN | EC_RIGHTMARGIN, 0, 0);
    } else {
        ::ShowCaret(m_hWnd);
        HideSelection(false, true);
        selectAllOnFocus_ = true;
        SendMessage(EM_SETREADONLY, FALSE);
        ModifyStyle(0, WS_TABSTOP);
    }
    labelMode_ = on;
}

LinkTarget CRichEditCtrlEx::GetLinkAt(CHARRANGE range) const {
    for (const MarkedLink& link : plainLinks_) {
        if (range.cpMin < link.end && range.cpMax > link.begin) return {link.link.url, link.link.text};
    }
    return ParseLinkRangeText(GetTextRange(range.cpMin, range.cpMax));
}

void CRichEditCtrlEx::OnLinkNotify(HWND dialog, const ENLINK& notification, LRESULT* result,
                                   const LinkHandler& handler) {
    if (result != nullptr) *result = 0;
    if (notification.msg != WM_LBUTTONDOWN) return;  // links open on button down
    LinkTarget target = GetLinkAt(notification.chrg);
    if (target.url.empty()) return;
    OpenLink(dialog, std::move(target.url), target.text, handler);
}

void CRichEditCtrlEx::OpenLink(HWND dialog, std::wstring url, const std::wstring& text,
                               const LinkHandler& handler) {
    try {
        if (::UrlIsW(url.c_str(), URLIS_FILEURL)) url = PathFromUrl(url);
        if (handler && handler(url, text)) return;
        const fw::CWaitCursor wait;
        ShellExecuteAsDesktopUser(url.c_str(), nullptr, nullptr, nullptr, SW_SHOWNORMAL, 0);
    } catch (...) {
        const std::wstring message = url + L"\n\n" + ExceptionDetails();
        ::MessageBoxW(dialog, message.c_str(), ApplicationName().c_str(), MB_OK | MB_ICONERROR);
    }
}

BOOL CRichEditCtrlEx::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
    if (message == WM_NOTIFY && lParam != 0) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == EN_LINK) {
            *result = 0;
        } else if (header->code == EN_REQUESTRESIZE) {
            requestedRect_ = reinterpret_cast<const REQRESIZE*>(lParam)->rc;
            *result = 0;
        }
    }
    // The parent sees every notification as well.
    return FALSE;
}

LRESULT CRichEditCtrlEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR:
            if (labelMode_) return OnSetCursor();
            break;
        case WM_NCHITTEST:
            if (labelMode_) return OnNcHitTest(lParam);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_MOUSEMOVE:
            if (labelMode_) {
                HitTestLink(message, wParam, lParam);
                return 0;
            }
            break;
        case WM_PRINTCLIENT:
            return OnPrintClient(reinterpret_cast<HDC>(wParam));
        case WM_GETDLGCODE:
            return OnGetDlgCode();
        case WM_SETFOCUS:
            if (labelMode_) return OnSetFocus();
            break;
        default:
            break;
    }
    return fw::CRichEditCtrl::WindowProc(message, wParam, lParam);
}

LRESULT CRichEditCtrlEx::OnSetCursor() {
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(m_hWnd, &point);
    ::SetCursor(::LoadCursorW(nullptr, IsOverLink(point) ? IDC_HAND : IDC_ARROW));
    return TRUE;
}

LRESULT CRichEditCtrlEx::OnNcHitTest(LPARAM point) {
    POINT client{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    ::ScreenToClient(m_hWnd, &client);
    if (!IsOverLink(client)) return HTTRANSPARENT;
    return Default();
}

LRESULT CRichEditCtrlEx::OnGetDlgCode() {
    LRESULT code = Default();
    if (!selectAllOnFocus_) code &= ~static_cast<LRESULT>(DLGC_HASSETSEL);
    if (labelMode_) code &= ~static_cast<LRESULT>(DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS);
    return code;
}

LRESULT CRichEditCtrlEx::OnSetFocus() {
    ::HideCaret(m_hWnd);
    return 0;
}

LRESULT CRichEditCtrlEx::OnPrintClient(HDC dc) {
    if (dc == nullptr) return 0;
    const int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0) return 0;
    const auto twips = [dpiX, dpiY](RECT r) {
        return RECT{::MulDiv(r.left, 1440, dpiX), ::MulDiv(r.top, 1440, dpiY), ::MulDiv(r.right, 1440, dpiX),
                    ::MulDiv(r.bottom, 1440, dpiY)};
    };
    FORMATRANGE range{};
    range.hdc = dc;
    range.hdcTarget = dc;
    range.rc = twips(GetRect());
    range.rcPage = twips(GetClientRect());
    range.chrg = CHARRANGE{0, -1};
    SendMessage(EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    SendMessage(EM_FORMATRANGE, FALSE, 0);  // releases the formatting cache
    return 0;
}

bool CRichEditCtrlEx::IsLinkText(CHARRANGE range) {
    SetSel(range);
    const CHARFORMAT2W format = GetSelectionCharFormat(CFM_LINK);
    return (format.dwMask & CFM_LINK) != 0 && (format.dwEffects & CFE_LINK) != 0;
}

bool CRichEditCtrlEx::LinkRangeAt(LONG character, CHARRANGE& range) {
    if (character < 0 || !IsLinkText(CHARRANGE{character, character + 1})) return false;
    const LONG length = GetTextLength();
    range = CHARRANGE{character, character + 1};
    for (int step = 0; step < kMaxLinkSteps && range.cpMin > 0; ++step) {
        if (!IsLinkText(CHARRANGE{range.cpMin - 1, range.cpMax})) break;
        --range.cpMin;
    }
    for (int step = 0; step < kMaxLinkSteps && range.cpMax < length; ++step) {
        if (!IsLinkText(CHARRANGE{range.cpMin, range.cpMax + 1})) break;
        ++range.cpMax;
    }
    return true;
}

bool CRichEditCtrlEx::IsOverLink(POINT clientPoint) {
    const CHARRANGE saved = GetSel();
    const LONG character = CharFromPos(clientPoint);
    const bool link = character >= 0 && IsLinkText(CHARRANGE{character, character + 1});
    SetSel(saved);
    return link;
}

void CRichEditCtrlEx::HitTestLink(UINT message, WPARAM wParam, LPARAM lParam) {
    if ((GetEventMask() & ENM_LINK) == 0) return;
    const CHARRANGE saved = GetSel();
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    CHARRANGE range{};
    const bool found = LinkRangeAt(CharFromPos(point), range);
    SetSel(saved);
    if (!found) return;
    ENLINK link{};
    link.nmhdr.hwndFrom = m_hWnd;
    link.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    link.nmhdr.code = EN_LINK;
    link.msg = message;
    link.wParam = wParam;
    link.lParam = lParam;
    link.chrg = range;
    HWND target = GetOwner();
    if (target == nullptr) target = GetParent();
    ::SendMessageW(target, WM_NOTIFY, link.nmhdr.idFrom, reinterpret_cast<LPARAM>(&link));
}

}  // namespace riviru
