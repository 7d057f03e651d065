// A resource type or name: an integer id or a text.
#pragma once
#include <cstdint>
#include <string>
#include <utility>

namespace riviru {

struct ResourceId {
    ResourceId(std::uint16_t integerId) : id(integerId) {}
    ResourceId(std::wstring text) : name(std::move(text)) {}
    ResourceId(const wchar_t* text) : name(text) {}

    // Used when name is empty.
    std::uint16_t id = 0;
    // The name when not empty.
    std::wstring name;

    bool IsNamed() const noexcept { return !name.empty(); }
    // As messages show it: the name, or "#" and the integer id in decimal.
    std::wstring ToString() const;
};

}  // namespace riviru
