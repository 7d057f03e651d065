// The installer's string table: texts are looked up as in MemStringResources
// and their [Name] placeholders are then filled from a small property map
// (the stub keeps only "ProductName" there).
#pragma once
#include <string>

#include <boost/regex.hpp>

#include "riviru/localization/ExpandPlaceholders.h"
#include "riviru/localization/MemStringResources.h"

namespace kvmsi {

class InstallStringResources : public riviru::MemStringResources {
public:
    InstallStringResources();

    using riviru::MemStringResources::GetString;
    std::wstring GetString(const std::wstring& id) const override;

    // Inserts or replaces one property.
    void SetProperty(const std::wstring& name, const std::wstring& value);
    void SetProperties(riviru::PropertyMap values);
    const riviru::PropertyMap& GetProperties() const noexcept { return properties; }

private:
    riviru::PropertyMap properties;
    boost::wregex placeholderPattern;
};

}  // namespace kvmsi
