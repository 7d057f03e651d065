// CUnzipLanguageDlg: lets the user pick the setup language from the cultures
// the package offers, before anything is extracted. It only offers the list
// it is given and reports the chosen culture name.
#pragma once
#include <string>

#include "framework/Controls.h"
#include "riviru/localization/IStringResources.h"
#include "riviru/ui/CVistaDialog.h"
#include "sfx/LanguageChoice.h"

class CUnzipLanguageDlg : public riviru::CVistaDialog {
public:
    CUnzipLanguageDlg(HWND parent, sfx::CultureDisplayNames cultures, std::wstring currentCulture,
                      const riviru::IStringResources& strings);
    ~CUnzipLanguageDlg() override;

    // After DoModal returned IDOK: the culture whose display name is the
    // chosen text (the first in culture order), or empty when none is.
    const std::wstring& GetSelectedCulture() const noexcept { return selectedCulture; }

protected:
    void DoDataExchange(fw::CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    const riviru::IStringResources& strings;
    fw::CComboBox languageList;
    sfx::CultureDisplayNames cultures;
    std::wstring selectedCulture;
};
