// The abstract source of a string table's texts, and the container types that
// string tables and loaders exchange.
#pragma once
#include <set>
#include <string>
#include <unordered_map>

#include "riviru/localization/StringILess.h"

namespace riviru {

// String id to text; ids are compared exactly.
using StringMap = std::unordered_map<std::wstring, std::wstring>;
// Culture names; two names that differ only in letter case are one culture.
using CultureSet = std::set<std::wstring, wstring_iless>;

class IStringResourceLoader {
public:
    virtual ~IStringResourceLoader() = default;

    virtual CultureSet GetAllCultures() = 0;
    // Writes every id the loader knows for the culture into strings, replacing
    // texts that an earlier loader put there.
    virtual void LoadStrings(StringMap& strings, const std::wstring& cultureName) = 0;
};

}  // namespace riviru
