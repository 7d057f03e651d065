#include "riviru/localization/MemStringResources.h"

#include <stdexcept>
#include <utility>

namespace riviru {

void MemStringResources::AddLoader(std::shared_ptr<IStringResourceLoader> loader) {
    if (loader) loaders.push_back(std::move(loader));
}

void MemStringResources::ClearLoaders() {
    loaders.clear();
}

StringLoaderList MemStringResources::GetLoaders() const {
    return loaders;
}

CultureSet MemStringResources::GetAllCultures() const {
    if (loaders.empty()) {
        throw std::runtime_error("Cannot get available cultures: No resource loader defined");
    }
    CultureSet all;
    for (const auto& loader : loaders) {
        // The set keeps the first spelling of names that differ only in case.
        const CultureSet some = loader->GetAllCultures();
        all.insert(some.begin(), some.end());
    }
    return all;
}

void MemStringResources::Load(const std::wstring& cultureName) {
    if (!strings.empty() && cultureName == culture) return;
    if (loaders.empty()) {
        throw std::runtime_error("Cannot load string resources: No resource loader defined");
    }
    StringMap fresh;
    std::wstring freshCulture = cultureName;
    for (const auto& loader : loaders) loader->LoadStrings(fresh, cultureName);
    // Swaps cannot throw, so the table changes completely or not at all.
    strings.swap(fresh);
    culture.swap(freshCulture);
}

void MemStringResources::Unload() {
    strings.clear();
}

std::wstring MemStringResources::GetCulture() const {
    return culture;
}

std::wstring MemStringResources::GetString(const std::wstring& id) const {
    const auto found = strings.find(id);
    return found == strings.end() ? std::wstring() : found->second;
}

void MemStringResources::SetString(const std::wstring& id, const std::wstring& text) {
    strings.insert_or_assign(id, text);
}

StringIdSet MemStringResources::GetAllIds() const {
    StringIdSet ids;
    ids.reserve(strings.size());
    for (const auto& entry : strings) ids.insert(entry.first);
    return ids;
}

}  // namespace riviru
