#include "common/setup/InstallStringResources.h"

#include <utility>

namespace kvmsi {

// The pattern is compiled once per table, not per lookup.
InstallStringResources::InstallStringResources() : placeholderPattern(riviru::CompilePlaceholderPattern()) {}

std::wstring InstallStringResources::GetString(const std::wstring& id) const {
    return riviru::ExpandPlaceholders(MemStringResources::GetString(id), properties, placeholderPattern);
}

void InstallStringResources::SetProperty(const std::wstring& name, const std::wstring& value) {
    properties.insert_or_assign(name, value);
}

void InstallStringResources::SetProperties(riviru::PropertyMap values) {
    properties = std::move(values);
}

}  // namespace kvmsi
