// Culture names and the choice among the cultures a package offers: the
// fallback list of a wanted culture, the best offered match, the user's own
// culture, and lookups in the fixed display-name and alias tables.
//
// Culture names are language tags such as "de-DE", "de", "zh-Hant" or the
// private "en-II" (English, international); they are compared ignoring case.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace riviru {

// The cultures to try for a wanted culture, best first: the culture itself
// (unless empty), then, for a language other than English, its alias (when it
// differs), the script form of Chinese ("zh-Hant" after "zh-TW", "zh-Hans"
// after "zh-CN") and the bare language in small letters; always last the
// English ones, "en-II", "en-GB", "en-US", "en" (the wanted one not twice).
std::vector<std::wstring> GetCultureFallbacks(std::wstring_view culture);

// The first offered culture, in the order given, that matches the earliest
// fallback of the wanted culture; empty when none does. A fallback with a
// hyphen after its first character matches an equal culture; one without
// matches cultures that begin with it and a hyphen ("de" matches "de-AT" but
// not "de").
std::wstring FindBestCulture(const std::vector<std::wstring>& offered, std::wstring_view wanted);

// The culture that the alias table gives for the name, or else for its
// language part (the text before the first hyphen, trimmed); empty when the
// table knows neither.
std::wstring GetCanonicalCulture(std::wstring_view culture);

// The culture's name in its own language, from the display-name table; empty
// for a culture that the table does not list.
std::wstring GetCultureDisplayName(std::wstring_view culture);

// The user's culture as "language-COUNTRY" (for example "de-AT"): the
// user-interface language when its primary language differs from that of the
// user's locale, otherwise the locale's language, which also carries the
// user's country. Empty when the system cannot tell; natively always empty.
std::wstring GetUserCultureName();

}  // namespace riviru
