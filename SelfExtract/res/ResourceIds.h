// Ids of the stub's dialogs, controls and icon; shared by the resource
// scripts and the code.
#pragma once

#define IDR_APP_ICON 128

#define IDD_PROGRESS_PRETTY 102
#define IDD_LANGUAGE 145
#define IDD_PROGRESS 167
#define IDD_PASSWORD 168

#define IDC_PROGRESS_BAR 1000
#define IDC_STATUS_TEXT 1001
#define IDC_PRODUCT_NAME 1002
#define IDC_LANGUAGE_LIST 1006
#define IDC_LANGUAGE_TEXT 1007
#define IDC_HEADER_ICON 1008
#define IDC_PASSWORD_EDIT 1009
