#include "EnterPasswordDlg.h"

#include "ResourceIds.h"

CEnterPasswordDlg::CEnterPasswordDlg(HWND parent) : CDialog(IDD_PASSWORD, parent) {}

CEnterPasswordDlg::~CEnterPasswordDlg() = default;

void CEnterPasswordDlg::DoDataExchange(fw::CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    fw::DDX_Text(exchange, IDC_PASSWORD_EDIT, password);
    if (exchange->saveAndValidate && password.size() > kMaxPasswordChars) password.resize(kMaxPasswordChars);
}

BOOL CEnterPasswordDlg::OnInitDialog() {
    ::SendDlgItemMessageW(m_hWnd, IDC_PASSWORD_EDIT, EM_SETLIMITTEXT, kMaxPasswordChars, 0);
    const BOOL result = CDialog::OnInitDialog();
    CenterWindow();
    return result;
}
