// The configuration block as the stub reads it from its package: the markers
// are searched, the block deciphered with the program's key, the padding
// dropped and the text decoded from UTF-8. Each input is read that way as it
// stands, as a bare block and as bare plaintext; and it is also enciphered as
// configuration text the way sfxpack does it, put between the markers, and
// must then come back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ConfigCipher.h"
#include "FuzzText.h"
#include "sfx/ConfigBlock.h"
#include "sfx/ConfigKey.h"

namespace {

void ReadAsPackage(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    const riviru::HResult hr = sfx::ReadConfigBlockFromMemory(data, size, text);
    SFX_FUZZ_EXPECT(hr == riviru::kOk || text.empty());
    if (const auto location = sfx::FindConfigBlock(data, size)) {
        SFX_FUZZ_EXPECT(location->size > 0 && location->begin >= sfx::kStartMarkerSize);
        SFX_FUZZ_EXPECT(location->EndOffset() + sfx::kConfigScanMargin - sfx::kEndMarkerSize < size);
    }
    const std::vector<std::uint8_t> plain = sfx::DecipherConfigBlock(data, size);
    SFX_FUZZ_EXPECT(plain.empty() || plain.size() + sfx::kConfigIvSize <= size);
    (void)sfx::DecodeConfigText(plain);
    (void)sfx::DecodeConfigText(std::vector<std::uint8_t>(data, data + size));
}

void RoundTrip(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> text(data, data + size);
    riviru::Aes128::Block iv{};
    std::copy_n(data, std::min(size, iv.size()), iv.begin());
    const std::vector<std::uint8_t> block = sfxpack::EncipherConfigBlock(text, iv, sfx::BuildConfigKey());
    const auto start = sfx::BuildStartMarker();
    const auto end = sfx::BuildEndMarker();
    // sfxpack draws another IV for a block that holds the end marker.
    if (std::search(block.begin(), block.end(), end.begin(), end.end()) != block.end()) return;

    std::vector<std::uint8_t> package = {'M', 'Z', 0, 0};
    package.insert(package.end(), start.begin(), start.end());
    package.insert(package.end(), block.begin(), block.end());
    package.insert(package.end(), end.begin(), end.end());
    const std::size_t archive = package.size();
    package.resize(archive + 32, 0x37);

    const auto location = sfx::FindConfigBlock(package.data(), package.size());
    SFX_FUZZ_EXPECT(location && location->begin == 4 + start.size() && location->size == block.size());
    SFX_FUZZ_EXPECT(location->EndOffset() == archive);
    std::wstring read;
    const riviru::HResult hr = sfx::ReadConfigBlockFromMemory(package.data(), package.size(), read);
    const auto expected = riviru::DecodeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    SFX_FUZZ_EXPECT(expected ? hr == riviru::kOk && read == *expected : hr == riviru::kInvalidData);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadAsPackage(data, size);
    RoundTrip(data, size);
    return 0;
}
