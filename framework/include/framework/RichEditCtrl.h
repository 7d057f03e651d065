// CRichEditCtrl: thin wrapper of a rich edit control (any version; the class
// of the window decides). Each helper is one message.
#pragma once
#include <windows.h>

#include <richedit.h>

#include <string>

#include "framework/Wnd.h"

namespace fw {

class CRichEditCtrl : public CWnd {
public:
    DWORD GetEventMask() const noexcept { return static_cast<DWORD>(SendMessage(EM_GETEVENTMASK)); }
    DWORD SetEventMask(DWORD mask) noexcept {
        return static_cast<DWORD>(SendMessage(EM_SETEVENTMASK, 0, mask));
    }

    CHARRANGE GetSel() const noexcept {
        CHARRANGE range{};
        SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    void SetSel(CHARRANGE range) noexcept { SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range)); }
    void SetSel(LONG start, LONG end) noexcept { SetSel(CHARRANGE{start, end}); }

    // Length in characters of the plain text (a paragraph end counts once).
    LONG GetTextLength() const noexcept {
        GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
        return static_cast<LONG>(SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query)));
    }
    // The plain text of a range (last -1: to the end), paragraph ends as they
    // are stored.
    std::wstring GetTextRange(LONG first, LONG last) const {
        if (last == -1) last = GetTextLength();
        if (last < first) return {};
        std::wstring text(static_cast<size_t>(last - first) + 1, L'\0');
        TEXTRANGEW range{{first, last}, text.data()};
        const LRESULT copied = SendMessage(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        return text;
    }

    // The character nearest to a point in client coordinates.
    LONG CharFromPos(POINT point) const noexcept {
        POINTL at{point.x, point.y};
        return static_cast<LONG>(SendMessage(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
    }
    POINT PosFromChar(LONG index) const noexcept {
        POINTL at{};
        SendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), index);
        return POINT{at.x, at.y};
    }

    // The character format of the selection (SCF_SELECTION).
    CHARFORMAT2W GetSelectionCharFormat(DWORD mask) const noexcept {
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        format.dwMask = mask;
        SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    bool SetSelectionCharFormat(CHARFORMAT2W format) noexcept {
        format.cbSize = sizeof(format);
        return SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)) != 0;
    }

    COLORREF SetBackgroundColor(COLORREF color) noexcept {
        return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, FALSE, static_cast<LPARAM>(color)));
    }
    void LimitText(LONG limit) noexcept { SendMessage(EM_EXLIMITTEXT, 0, limit); }
    void HideSelection(bool hide, bool permanent) noexcept {
        SendMessage(EM_HIDESELECTION, hide ? TRUE : FALSE, permanent ? TRUE : FALSE);
    }
    // Line width 0 wraps at the window, 1 switches wrapping off.
    bool SetTargetDevice(HDC device, LONG lineWidth) noexcept {
        return SendMessage(EM_SETTARGETDEVICE, reinterpret_cast<WPARAM>(device), lineWidth) != 0;
    }
    void RequestResize() noexcept { SendMessage(EM_REQUESTRESIZE); }
    bool SetAutoUrlDetect(bool on) noexcept { return SendMessage(EM_AUTOURLDETECT, on ? TRUE : FALSE) == 0; }
    void SetMargins(UINT which, int left, int right) noexcept {
        SendMessage(EM_SETMARGINS, which, MAKELPARAM(left, right));
    }
    RECT GetRect() const noexcept {
        RECT rect{};
        SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
    void SetScrollPos(POINT point) noexcept {
        SendMessage(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&point));
    }
    LONG StreamIn(UINT format, EDITSTREAM& stream) noexcept {
        return static_cast<LONG>(SendMessage(EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream)));
    }
    void Copy() noexcept { SendMessage(WM_COPY); }
};

}  // namespace fw
