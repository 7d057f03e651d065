#include "riviru/localization/XmlStringResourcesLoader.h"

#include <windows.h>

#include <stdexcept>

#include "riviru/resources/ResourceUtils.h"
#include "riviru/win/SystemLibrary.h"
#include "riviru/win/UniqueResource.h"

namespace riviru {

namespace {

using Rfc1766ToLcidWFunction = HRESULT(WINAPI*)(LCID*, LPCWSTR);
using LocaleNameToLcidFunction = LCID(WINAPI*)(LPCWSTR, DWORD);

LCID Rfc1766ToLcid(const std::wstring& cultureName) {
    // From the system folder only, as every DLL loaded by name.
    const win::unique_module mlang(win::LoadSystemLibrary(L"mlang.dll"));
    if (!mlang) return 0;
    const FARPROC proc = ::GetProcAddress(mlang.get(), "Rfc1766ToLcidW");
    if (!proc) return 0;
    const auto convert = reinterpret_cast<Rfc1766ToLcidWFunction>(reinterpret_cast<void (*)()>(proc));
    LCID lcid = 0;
    if (FAILED(convert(&lcid, cultureName.c_str()))) lcid = 0;
    return lcid;
}

// The system's own name conversion (Windows Vista and later), looked up at
// run time like mlang's.
LCID LocaleNameToLcid(const std::wstring& cultureName) {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const FARPROC proc = kernel != nullptr ? ::GetProcAddress(kernel, "LocaleNameToLCID") : nullptr;
    if (!proc) return 0;
    const auto convert = reinterpret_cast<LocaleNameToLcidFunction>(reinterpret_cast<void (*)()>(proc));
    return convert(cultureName.c_str(), 0);
}

// mlang's conversion first; where it refuses a tag (some mlang versions, as
// Wine's, know only bare language names such as "de"), the system's. 0 when
// neither knows the name: the system then chooses the table.
LCID CultureToLcid(const std::wstring& cultureName) {
    const LCID lcid = Rfc1766ToLcid(cultureName);
    return lcid != 0 ? lcid : LocaleNameToLcid(cultureName);
}

}  // namespace

XmlAppStringResourceLoader::XmlAppStringResourceLoader()
    : location(nullptr, ResourceId(L"KV_XML_STRING"), ResourceId(1)) {}

CultureSet XmlAppStringResourceLoader::GetAllCultures() {
    throw std::runtime_error("Cannot get available cultures: Function not implemented yet");
}

void XmlAppStringResourceLoader::LoadStrings(StringMap& strings, const std::wstring& cultureName) {
    const LCID lcid = cultureName.empty() ? 0 : CultureToLcid(cultureName);
    const ResourceLocation where = lcid != 0 ? location.WithLanguage(LANGIDFROMLCID(lcid)) : location;
    const auto stream = CreateStreamFromResource(where, std::ios_base::badbit);
    LoadXmlStringResources(strings, *stream, rootElement);
}

}  // namespace riviru
