// CFontOccManager: the process's control-container manager that gives every
// dialog the system's message font (Windows Vista and later), so dialogs look
// like the system's own whatever font their template names. Installed once at
// start-up with fw::AfxEnableControlContainer.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "framework/OccManager.h"

namespace riviru {

class CFontOccManager : public fw::COccManager {
public:
    const DLGTEMPLATE* PreCreateDialog(fw::DialogCreateInfo* info,
                                       const DLGTEMPLATE* dialogTemplate) override;

    struct MessageFont {
        std::wstring typeface;
        std::uint16_t pointSize = 0;
    };
    // The system's message font with its height in points; nothing when the
    // non-client metrics cannot be read.
    static std::optional<MessageFont> SystemMessageFont();
};

}  // namespace riviru
