// The XML string tables: the document is read with the first element as the
// root and with the root path the stub's tables use. Errors must be the
// documented ones and leave the table as it was.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <system_error>

#include <boost/property_tree/xml_parser.hpp>

#include "FuzzText.h"
#include "riviru/localization/LoadXmlStringResources.h"

namespace {

void Load(const std::uint8_t* data, std::size_t size, const std::wstring& root) {
    const riviru::StringMap before = {{L"Kept", L"from an earlier table"}};
    riviru::StringMap strings = before;
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    try {
        riviru::LoadXmlStringResources(strings, input, root);
        SFX_FUZZ_EXPECT(strings.count(L"Kept") == 1);
    } catch (const std::system_error&) {
        SFX_FUZZ_EXPECT(strings == before);
    } catch (const boost::property_tree::xml_parser_error&) {
        SFX_FUZZ_EXPECT(strings == before);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Load(data, size, L"");
    Load(data, size, L"KvrSetupLocalization");
    return 0;
}
