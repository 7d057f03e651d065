// The parsed configuration block: sections of key/value pairs in an INI-like
// text. Section names and keys are compared ignoring case; sections keep the
// order of their first appearance.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "riviru/localization/StringILess.h"

namespace sfx {

class SfxConfig {
public:
    // Adds the sections and pairs of text; malformed lines are ignored, so
    // parsing never fails. Lines end at CR, LF, CR LF or LF CR. A line that
    // begins with ';' is a comment. A line with '=' is a pair (key before the
    // first '=', both sides trimmed, one pair of enclosing quotation marks
    // removed from the value); a later pair with the same key replaces the
    // value. A line without '=' that holds '[' and a later ']' starts the
    // section named by the trimmed text between the first '[' and the last
    // ']'. Pairs before the first header belong to the section named "".
    void Parse(std::wstring_view text);

    // The value when the section has the key (also when it is empty),
    // otherwise defaultValue.
    std::wstring GetValue(std::wstring_view section, std::wstring_view key,
                          std::wstring_view defaultValue) const;

    // defaultValue when the value is missing or empty; otherwise the number
    // read as "%d" would: leading white space and one sign are skipped, the
    // digits up to the first other character count, and a value without
    // digits there gives 0. A number beyond the 32-bit range is clamped to
    // INT32_MIN or INT32_MAX.
    std::int32_t GetInt(std::wstring_view section, std::wstring_view key, std::int32_t defaultValue) const;

    // Section names in the order in which they first appear, spelled as then.
    std::vector<std::wstring> GetSectionNames() const;

    bool HasSection(std::wstring_view section) const;

private:
    using Pairs = std::map<std::wstring, std::wstring, riviru::wstring_iless>;
    struct Section {
        std::wstring name;
        Pairs pairs;
    };

    // The position of the section in sections.
    std::size_t FindOrAddSection(std::wstring_view name);
    const Section* FindSection(std::wstring_view name) const;

    std::vector<Section> sections;
    std::map<std::wstring, std::size_t, riviru::wstring_iless> sectionIndex;
};

}  // namespace sfx
