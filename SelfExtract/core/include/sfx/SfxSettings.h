// The run settings that the application hands to the progress dialog and,
// through it, to the extraction and setup workers.
#pragma once
#include <cstdint>
#include <string>

#include "sfx/SfxTypes.h"

namespace sfx {

struct SfxSettings {
    UiLevel uiLevel = UiLevel::Normal;
    std::wstring productName;
    std::wstring culture;
    std::wstring archivePath;  // the package itself unless /e named another archive
    std::wstring extractDir;   // always ends with a backslash
    std::wstring setupFile;
    std::wstring setupParams;
    OverwriteAnswer overwriteAnswer = OverwriteAnswer::YesToAll;
    std::int32_t setupShow = 1;  // SW_ value for the setup's main window
    bool progressPretty = false;
    bool extractOnly = false;
    bool multilingual = false;
    bool extractOnlyFromConfig = false;
    bool showLanguageDialog = false;
    bool callerGivesValuesFile = false;
    bool forwardResourceData = false;
};

}  // namespace sfx
