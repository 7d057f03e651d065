#include "sfx/LanguageChoice.h"

#include <string_view>
#include <utility>
#include <vector>

namespace sfx {

namespace {

constexpr std::wstring_view kLanguageSectionPrefix = L"LANG_";

}  // namespace

std::optional<LanguageChoice> GetAvailableLanguages(const SfxConfig& config, const std::wstring& wanted,
                                                    const std::function<std::wstring()>& userCulture) {
    LanguageChoice choice;
    std::vector<std::wstring> offered;
    for (const std::wstring& section : config.GetSectionNames()) {
        const std::wstring_view name = section;
        if (name.size() < kLanguageSectionPrefix.size() ||
            !riviru::EqualsIgnoreCase(name.substr(0, kLanguageSectionPrefix.size()),
                                      kLanguageSectionPrefix)) {
            continue;
        }
        std::wstring culture(name.substr(kLanguageSectionPrefix.size()));
        choice.cultures[culture] = riviru::GetCultureDisplayName(culture);
        offered.push_back(std::move(culture));
    }
    if (offered.empty()) return std::nullopt;

    const std::wstring wantedCulture = wanted.empty() ? userCulture() : wanted;
    choice.defaultCulture = riviru::FindBestCulture(offered, wantedCulture);
    if (choice.defaultCulture.empty()) choice.defaultCulture = offered.front();
    return choice;
}

}  // namespace sfx
