#include "UnzipLanguageDlg.h"

#include <utility>

#include "ResourceIds.h"
#include "WindowIcons.h"

CUnzipLanguageDlg::CUnzipLanguageDlg(HWND parent, sfx::CultureDisplayNames offered, std::wstring currentCulture,
                                     const riviru::IStringResources& stringTable)
    : CVistaDialog(IDD_LANGUAGE, parent),
      strings(stringTable),
      cultures(std::move(offered)),
      selectedCulture(std::move(currentCulture)) {}

CUnzipLanguageDlg::~CUnzipLanguageDlg() = default;

void CUnzipLanguageDlg::DoDataExchange(fw::CDataExchange* exchange) {
    CVistaDialog::DoDataExchange(exchange);
    fw::DDX_Control(exchange, IDC_LANGUAGE_LIST, languageList);
}

BOOL CUnzipLanguageDlg::OnInitDialog() {
    CVistaDialog::OnInitDialog();

    SetWindowIcons(m_hWnd, IDR_APP_ICON);

    SetWindowText(strings.GetString(L"LanguageSelectionTitle"));
    SetDlgItemText(IDC_LANGUAGE_TEXT, strings.GetString(L"LanguageSelection"));
    SetDlgItemText(IDOK, strings.GetString(L"OK"));
    SetDlgItemText(IDCANCEL, strings.GetString(L"Cancel"));

    for (const auto& [culture, displayName] : cultures) languageList.AddString(displayName);

    // The platform's prefix search from item 0 starts with the second item
    // and wraps around to the first.
    const std::wstring& current = cultures[selectedCulture];
    const auto found = languageList.SendMessage(CB_FINDSTRING, 0, reinterpret_cast<LPARAM>(current.c_str()));
    languageList.SetCurSel(found == CB_ERR ? 0 : static_cast<int>(found));

    GotoDlgCtrl(languageList.m_hWnd);
    // The template places the window at the corner of the screen.
    CenterWindow();
    return FALSE;
}

void CUnzipLanguageDlg::OnOK() {
    selectedCulture.clear();
    const std::wstring chosen = languageList.GetWindowText();
    for (const auto& [culture, displayName] : cultures) {
        if (displayName == chosen) {
            selectedCulture = culture;
            break;
        }
    }
    CVistaDialog::OnOK();
}
