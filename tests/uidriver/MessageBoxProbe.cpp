// msgboxprobe: known windows for the UI driver's own tests.
//
//   msgboxprobe CAPTION TEXT [TYPE]
//       Shows a system message box without owner. TYPE is the MessageBoxW
//       type word (decimal or 0x hex, default 0 = MB_OK). Prints "result N"
//       and exits with N, the value MessageBoxW returned.
//   msgboxprobe --dialog CAPTION
//       Shows a modal dialog with an edit box (id 100), a drop-down list
//       (id 101: Alpha, Beta, Gamma; Beta selected), a disabled button
//       (id 102), OK (1, default) and Cancel (2). When it ends it prints
//       "result N", "edit TEXT", "combo INDEX" and "selchanges COUNT" (the
//       CBN_SELCHANGE notifications it received) and exits with N.
//   msgboxprobe --set-clipboard TEXT
//       Puts TEXT on the clipboard as Unicode text; exits with 0.
#include "DriverSupport.h"

#include <cstring>
#include <string>
#include <vector>

using namespace uidriver;

namespace {

constexpr int kUsageExit = 0x7F;
constexpr WORD kEditId = 100;
constexpr WORD kComboId = 101;
constexpr WORD kDisabledId = 102;

// An in-memory DLGTEMPLATE: items are DWORD aligned, strings inline.
class TemplateBuilder {
public:
    TemplateBuilder(const std::wstring& caption, short cx, short cy, WORD items) {
        const DWORD style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        PutDword(style);
        PutDword(0);
        words_.push_back(items);
        words_.insert(words_.end(), {0, 0, static_cast<WORD>(cx), static_cast<WORD>(cy)});
        words_.push_back(0);  // no menu
        words_.push_back(0);  // standard class
        PutString(caption);
        words_.push_back(8);
        PutString(L"MS Shell Dlg");
    }

    void Item(WORD id, WORD classAtom, DWORD style, const std::wstring& text, short x, short y, short cx,
              short cy) {
        if (words_.size() % 2) words_.push_back(0);
        PutDword(style | WS_CHILD | WS_VISIBLE);
        PutDword(0);
        words_.insert(words_.end(), {static_cast<WORD>(x), static_cast<WORD>(y), static_cast<WORD>(cx),
                                     static_cast<WORD>(cy), id, 0xFFFF, classAtom});
        PutString(text);
        words_.push_back(0);  // no creation data
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void PutDword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void PutString(const std::wstring& text) {
        words_.insert(words_.end(), text.begin(), text.end());
        words_.push_back(0);
    }

    std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kComboAtom = 0x0085;

struct DialogState {
    std::wstring edit;
    LRESULT combo = -1;
    int selChanges = 0;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            const HWND combo = GetDlgItem(dialog, kComboId);
            for (const wchar_t* item : {L"Alpha", L"Beta", L"Gamma"}) {
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            }
            SendMessageW(combo, CB_SETCURSEL, 1, 0);
            EnableWindow(GetDlgItem(dialog, kDisabledId), FALSE);
            return TRUE;
        }
        case WM_COMMAND:
            if (!state) return FALSE;  // controls may notify before WM_INITDIALOG
            if (LOWORD(wParam) == kComboId && HIWORD(wParam) == CBN_SELCHANGE) {
                ++state->selChanges;
                return TRUE;
            }
            if (HIWORD(wParam) == BN_CLICKED &&
                (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == kDisabledId)) {
                const HWND edit = GetDlgItem(dialog, kEditId);
                std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                text.resize(
                    static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
                state->edit = text;
                state->combo = SendMessageW(GetDlgItem(dialog, kComboId), CB_GETCURSEL, 0, 0);
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

int ShowDialog(const std::wstring& caption) {
    TemplateBuilder dialog(caption, 200, 90, 6);
    dialog.Item(kEditId, kEditAtom, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, L"", 7, 7, 186, 14);
    dialog.Item(kComboId, kComboAtom, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, L"", 7, 26, 186, 60);
    dialog.Item(kDisabledId, kButtonAtom, BS_PUSHBUTTON | WS_TABSTOP, L"Disabled", 7, 69, 50, 14);
    dialog.Item(IDOK, kButtonAtom, BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK", 89, 69, 50, 14);
    dialog.Item(IDCANCEL, kButtonAtom, BS_PUSHBUTTON | WS_TABSTOP, L"Cancel", 143, 69, 50, 14);
    dialog.Item(103, 0x0082, SS_LEFT, L"Probe dialog", 7, 50, 100, 8);
    DialogState state;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr,
                                                   DialogProc, reinterpret_cast<LPARAM>(&state));
    Out(L"result " + std::to_wstring(result) + L"\nedit " + state.edit + L"\ncombo " +
        std::to_wstring(state.combo) + L"\nselchanges " + std::to_wstring(state.selChanges) + L"\n");
    return static_cast<int>(result);
}

int SetClipboard(const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return 1;
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(memory);
        return 1;
    }
    EmptyClipboard();
    const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;  // the clipboard owns it now
    CloseClipboard();
    if (!set) GlobalFree(memory);
    return set ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"--dialog") return ShowDialog(argv[2]);
    if (argc == 3 && std::wstring(argv[1]) == L"--set-clipboard") return SetClipboard(argv[2]);
    if (argc < 3 || argc > 4) {
        Err(L"usage: msgboxprobe CAPTION TEXT [TYPE] | --dialog CAPTION | --set-clipboard TEXT\n");
        return kUsageExit;
    }
    UINT type = MB_OK;
    if (argc == 4) {
        const auto parsed = ParseNumber(argv[3]);
        if (!parsed || *parsed > 0xFFFFFFFFULL) {
            Err(L"msgboxprobe: TYPE must be a number\n");
            return kUsageExit;
        }
        type = static_cast<UINT>(*parsed);
    }
    const int result = MessageBoxW(nullptr, argv[2], argv[1], type);
    Out(L"result " + std::to_wstring(result) + L"\n");
    return result;
}
