// A string-table loader that gives the English texts of the stub, built into
// the program, for every culture name. It stands in for the loader of the XML
// string tables in the resources and behaves like it: the texts arrive as that
// loader delivers them (entities decoded, "\n" escapes turned into line
// feeds), and GetAllCultures fails the same way.
#pragma once
#include <string>

#include "riviru/localization/IStringResourceLoader.h"

namespace sfx {

class BuiltInStringLoader : public riviru::IStringResourceLoader {
public:
    // Always throws std::runtime_error.
    riviru::CultureSet GetAllCultures() override;
    // Writes all English texts, whatever the culture name.
    void LoadStrings(riviru::StringMap& strings, const std::wstring& cultureName) override;
};

}  // namespace sfx
