#include "framework/DataExchange.h"

#include <utility>

#include "framework/Wnd.h"

namespace fw {

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
    if (control.m_hWnd == nullptr) control.SubclassDlgItem(id, exchange->dialog->m_hWnd);
}

void DDX_Text(CDataExchange* exchange, int id, std::wstring& value) {
    HWND control = exchange->dialog->GetDlgItem(id);
    if (control == nullptr) return;
    if (exchange->saveAndValidate) {
        const int length = ::GetWindowTextLengthW(control);
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        const int copied = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
        text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
        value = std::move(text);
    } else {
        ::SetWindowTextW(control, value.c_str());
    }
}

void DDX_CBIndex(CDataExchange* exchange, int id, int& index) {
    HWND control = exchange->dialog->GetDlgItem(id);
    if (control == nullptr) return;
    if (exchange->saveAndValidate) {
        index = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
    } else {
        ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

}  // namespace fw
