#include "riviru/localization/ExpandPlaceholders.h"

namespace riviru {

boost::wregex CompilePlaceholderPattern() {
    return boost::wregex(kPlaceholderPattern);
}

const boost::wregex& SharedPlaceholderPattern() {
    static const boost::wregex pattern = CompilePlaceholderPattern();
    return pattern;
}

std::wstring ExpandPlaceholders(std::wstring_view text, const PropertyMap& properties,
                                const boost::wregex& pattern) {
    if (text.empty()) return std::wstring();
    const wchar_t* const begin = text.data();
    const wchar_t* const end = begin + text.size();
    std::wstring result;
    result.reserve(text.size());
    const wchar_t* copied = begin;
    // Successive matches do not overlap: each search starts where the last
    // match ended.
    for (boost::wcregex_iterator it(begin, end, pattern), last; it != last; ++it) {
        const auto& match = *it;
        result.append(copied, match[0].first);
        const auto value = properties.find(match.str(1));
        if (value != properties.end()) {
            result.append(value->second);
        } else {
            result.append(match[0].first, match[0].second);
        }
        copied = match[0].second;
    }
    result.append(copied, end);
    return result;
}

}  // namespace riviru
