#include "riviru/resources/ResourceLocation.h"

#include <utility>

namespace riviru {

ResourceLocation::ResourceLocation(ModuleHandle resourceModule, ResourceId resourceType,
                                   ResourceId resourceName)
    : module(resourceModule ? resourceModule : ProgramModule()),
      type(std::move(resourceType)),
      name(std::move(resourceName)) {}

ResourceLocation::ResourceLocation(ModuleHandle resourceModule, ResourceId resourceType,
                                   ResourceId resourceName, std::uint16_t resourceLanguage)
    : ResourceLocation(resourceModule, std::move(resourceType), std::move(resourceName)) {
    hasLanguage = true;
    language = resourceLanguage;
}

ResourceLocation ResourceLocation::WithLanguage(std::uint16_t resourceLanguage) const {
    ResourceLocation copy = *this;
    copy.hasLanguage = true;
    copy.language = resourceLanguage;
    return copy;
}

std::wstring DescribeResourceLocation(const ResourceLocation& location, const std::wstring& moduleFileName) {
    std::wstring text = moduleFileName;
    if (!text.empty()) text += L'\\';
    text += L"resType:" + location.type.ToString();
    text += L"\\resID:" + location.name.ToString();
    if (location.hasLanguage) text += L"\\lcid:" + std::to_wstring(location.language);
    return text;
}

}  // namespace riviru
