// Where a resource is: module, type, name and, optionally, language.
#pragma once
#include <cstdint>
#include <string>

#include "riviru/resources/ResourceId.h"

// The system headers' module handle type (HMODULE), declared without them.
struct HINSTANCE__;

namespace riviru {

using ModuleHandle = HINSTANCE__*;

// The module of the program's executable (null natively, where there is none).
ModuleHandle ProgramModule() noexcept;

struct ResourceLocation {
    // A null module stands for the program's own module.
    ResourceLocation(ModuleHandle resourceModule, ResourceId resourceType, ResourceId resourceName);
    ResourceLocation(ModuleHandle resourceModule, ResourceId resourceType, ResourceId resourceName,
                     std::uint16_t resourceLanguage);

    // A copy that asks for the given language.
    ResourceLocation WithLanguage(std::uint16_t resourceLanguage) const;

    ModuleHandle module;
    ResourceId type;
    ResourceId name;
    bool hasLanguage = false;
    std::uint16_t language = 0;  // a Windows LANGID, meaningful with hasLanguage
};

// The location as failures show it: the module's file name and a backslash
// (when the name is not empty), "resType:" and the type, "\resID:" and the
// name, and with a language "\lcid:" and the language id in decimal.
std::wstring DescribeResourceLocation(const ResourceLocation& location, const std::wstring& moduleFileName);

}  // namespace riviru
