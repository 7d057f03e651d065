#include "riviru/ui/ShowBigMessageBox.h"

#include <string>

#include "framework/WinApp.h"
#include "riviru/ui/BigMessageBox.h"
#include "riviru/ui/MessageBoxButtonSet.h"

namespace riviru {

int ShowBigMessageBox(HWND parent, const IStringResources& strings, const wchar_t* caption,
                      const wchar_t* title, const wchar_t* text, unsigned type, std::uint32_t flags) {
    std::wstring appName;
    if (caption == nullptr) {
        if (const fw::CWinApp* app = fw::CWinApp::Current()) appName = app->GetAppName();
        caption = appName.c_str();
    }
    CBigMessageBox box(parent, caption, title, text, MessageBoxIconFromType(type), flags);
    for (MessageBoxButton& button : MessageBoxButtonsForType(type, strings)) {
        box.AddButton(button.id, std::move(button.text), button.isDefault);
    }
    return static_cast<int>(box.DoModal());
}

}  // namespace riviru
