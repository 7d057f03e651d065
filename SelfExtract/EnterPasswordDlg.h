// CEnterPasswordDlg: asks for the archive password. Its texts are those of
// its template. The edit box takes at most kMaxPasswordChars characters, so
// the password always fits the extraction worker's buffer.
#pragma once
#include <string>

#include "framework/Dialog.h"

class CEnterPasswordDlg : public fw::CDialog {
public:
    // The worker's buffer holds 1,024 characters with the terminating zero.
    static constexpr unsigned kMaxPasswordChars = 1023;

    explicit CEnterPasswordDlg(HWND parent);
    ~CEnterPasswordDlg() override;

    // After DoModal returned IDOK.
    const std::wstring& GetPassword() const noexcept { return password; }

protected:
    void DoDataExchange(fw::CDataExchange* exchange) override;
    BOOL OnInitDialog() override;

private:
    std::wstring password;
};
