// The languages that a package offers, read from the configuration's language
// sections ("LANG_" followed by the culture), and the one to preselect.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "riviru/localization/Culture.h"
#include "riviru/localization/StringILess.h"
#include "sfx/SfxConfig.h"

namespace sfx {

// Culture name to display name, ordered by culture name ignoring case.
using CultureDisplayNames = std::map<std::wstring, std::wstring, riviru::wstring_iless>;

struct LanguageChoice {
    // Every offered culture, spelled as in its section name; the display name
    // is empty for a culture that the display-name table does not know.
    CultureDisplayNames cultures;
    // The best match for the wanted culture, else the first offered one.
    std::wstring defaultCulture;
};

// Nothing when the configuration has no language section. Otherwise the
// offered cultures in section order are matched against wanted
// (riviru::FindBestCulture); an empty wanted culture is replaced by the one
// that userCulture returns, which is asked only then.
std::optional<LanguageChoice> GetAvailableLanguages(
    const SfxConfig& config, const std::wstring& wanted,
    const std::function<std::wstring()>& userCulture = riviru::GetUserCultureName);

}  // namespace sfx
