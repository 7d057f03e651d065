// The string-table loader of the stub (Windows only): reads the XML string
// table of a culture from the program's resources, type "KV_XML_STRING",
// name #1, one resource per language. Holds: XmlAppStringResourceLoader.
#pragma once
#include <string>

#include "riviru/localization/IStringResourceLoader.h"
#include "riviru/localization/LoadXmlStringResources.h"
#include "riviru/resources/ResourceLocation.h"

namespace riviru {

class XmlAppStringResourceLoader : public IStringResourceLoader {
public:
    XmlAppStringResourceLoader();

    // Always throws std::runtime_error: the languages come from the
    // configuration, not from the resources.
    CultureSet GetAllCultures() override;
    // Converts the culture name with mlang's Rfc1766ToLcidW and reads the
    // table of that language; an empty or unknown name leaves the choice of
    // language to the system. Throws AppResourceError when there is no such
    // table, and the errors of LoadXmlStringResources.
    void LoadStrings(StringMap& strings, const std::wstring& cultureName) override;

    const std::wstring& RootElement() const noexcept { return rootElement; }
    const ResourceLocation& Location() const noexcept { return location; }

private:
    std::wstring rootElement;  // empty: the first element of the document
    ResourceLocation location;
};

}  // namespace riviru
