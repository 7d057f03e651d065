// The string table kept in memory: a list of loaders, the loaded texts and the
// culture of the last successful Load.
#pragma once
#include <memory>
#include <string>

#include "riviru/localization/IStringResources.h"

namespace riviru {

class MemStringResources : public IStringResources {
public:
    MemStringResources() = default;

    using IStringResources::GetString;

    // An empty reference is ignored.
    void AddLoader(std::shared_ptr<IStringResourceLoader> loader) override;
    // The loaded strings and the culture stay.
    void ClearLoaders() override;
    StringLoaderList GetLoaders() const override;
    // Union of the loaders' sets; throws std::runtime_error without loaders.
    CultureSet GetAllCultures() const override;
    // Does nothing when strings are loaded and the name equals the current
    // culture exactly. Otherwise every loader fills a new map, which replaces
    // the table only when all of them succeed; a loader's error propagates and
    // leaves texts and culture as they were. Throws std::runtime_error without
    // loaders.
    void Load(const std::wstring& cultureName) override;
    // Removes the strings; loaders and culture stay.
    void Unload() override;
    std::wstring GetCulture() const override;
    std::wstring GetString(const std::wstring& id) const override;
    void SetString(const std::wstring& id, const std::wstring& text) override;
    StringIdSet GetAllIds() const override;

private:
    StringLoaderList loaders;
    StringMap strings;
    std::wstring culture;
};

}  // namespace riviru
