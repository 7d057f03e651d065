// Data exchange between a dialog's members and its controls: DoDataExchange
// lists the bound controls once, UpdateData(false) fills the controls and
// UpdateData(true) reads them back.
#pragma once
#include <windows.h>

#include <string>

namespace fw {

class CWnd;

struct CDataExchange {
    CWnd* dialog;
    bool saveAndValidate;
};

// Attaches the control object to the dialog's control (once).
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);
// The control's text.
void DDX_Text(CDataExchange* exchange, int id, std::wstring& value);
// The selected index of a combo box (-1 for none).
void DDX_CBIndex(CDataExchange* exchange, int id, int& index);

}  // namespace fw
