// A string table: the texts of one culture at a time, looked up by string id
// and filled by loaders.
#pragma once
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "riviru/localization/IStringResourceLoader.h"

namespace riviru {

using StringLoaderList = std::vector<std::shared_ptr<IStringResourceLoader>>;
using StringIdSet = std::unordered_set<std::wstring>;

class IStringResources {
public:
    virtual ~IStringResources() = default;

    virtual void AddLoader(std::shared_ptr<IStringResourceLoader> loader) = 0;
    virtual void ClearLoaders() = 0;
    virtual StringLoaderList GetLoaders() const = 0;
    virtual CultureSet GetAllCultures() const = 0;
    virtual void Load(const std::wstring& cultureName) = 0;
    virtual void Unload() = 0;
    virtual std::wstring GetCulture() const = 0;
    // A missing id yields the empty text.
    virtual std::wstring GetString(const std::wstring& id) const = 0;
    virtual void SetString(const std::wstring& id, const std::wstring& text) = 0;
    virtual StringIdSet GetAllIds() const = 0;

    // The form the user-interface code calls with literal ids; it only
    // forwards, so overriding the virtual form changes both.
    std::wstring GetString(const wchar_t* id) const { return GetString(std::wstring(id)); }
};

}  // namespace riviru
