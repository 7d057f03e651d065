// Replacement of [Name] placeholders in texts from a property map, in one pass.
#pragma once
#include <map>
#include <string>
#include <string_view>

#include <boost/regex.hpp>

namespace riviru {

// Property name to value; names are compared by UTF-16 code unit, so they are
// case-sensitive.
using PropertyMap = std::map<std::wstring, std::wstring>;

// A placeholder: '[', a name that starts with '_' or an ASCII letter and goes
// on with '_', '.', ASCII letters and digits, then ']'. Group 1 is the name.
inline constexpr wchar_t kPlaceholderPattern[] = L"\\[([_a-zA-Z][_\\.a-zA-Z0-9]*?)\\]";

// Compiles kPlaceholderPattern (Perl syntax, no flags). Compiling is costly:
// keep the result, or use SharedPlaceholderPattern.
boost::wregex CompilePlaceholderPattern();

// One compiled pattern for the whole process, built on first use. Searching
// with it from several threads at once is safe.
const boost::wregex& SharedPlaceholderPattern();

// Replaces each match of pattern whose group 1 is a name in properties by the
// stored value, as it is: values are not expanded again. Names without a
// value, and everything outside a match, are copied unchanged.
std::wstring ExpandPlaceholders(std::wstring_view text, const PropertyMap& properties,
                                const boost::wregex& pattern);

}  // namespace riviru
