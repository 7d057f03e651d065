#include "sfx/ConfigBlock.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "riviru/crypto/Aes128.h"
#include "riviru/text/Utf.h"

namespace sfx {

const char kStoredStartMarker[kStartMarkerSize + 1] = ",!@Install@!UTF-8!";
const char kStoredEndMarker[kEndMarkerSize + 1] = ",!@InstallEnd@!";

namespace {

// Reads the stored text through a volatile pointer so the compiler cannot fold
// the completed marker into a constant of the program.
template <std::size_t N>
ConfigMarker<N> CompleteMarker(const char (&stored)[N + 1]) noexcept {
    const volatile char* source = stored;
    ConfigMarker<N> marker{};
    for (std::size_t i = 0; i < N; ++i) marker[i] = static_cast<std::uint8_t>(source[i]);
    marker[0] = ';';
    return marker;
}

template <std::size_t N>
bool MatchesAt(const std::uint8_t* data, std::size_t p, const ConfigMarker<N>& marker) noexcept {
    return std::memcmp(data + p, marker.data(), N) == 0;
}

// Wipes a copy of the key once it is no longer needed.
void Wipe(ConfigKey& key) noexcept {
    volatile std::uint8_t* p = key.data();
    for (std::size_t i = 0; i < key.size(); ++i) p[i] = 0;
}

}  // namespace

ConfigMarker<kStartMarkerSize> BuildStartMarker() noexcept {
    return CompleteMarker<kStartMarkerSize>(kStoredStartMarker);
}

ConfigMarker<kEndMarkerSize> BuildEndMarker() noexcept {
    return CompleteMarker<kEndMarkerSize>(kStoredEndMarker);
}

std::size_t ConfigScanSize(std::uint64_t fileSize) noexcept {
    const std::uint64_t low = fileSize & 0xFFFFFFFFu;
    return static_cast<std::size_t>(std::min<std::uint64_t>(low, kConfigScanLimit));
}

std::optional<ConfigBlockLocation> FindConfigBlock(const std::uint8_t* data,
                                                   std::size_t mappedSize) noexcept {
    if (data == nullptr || mappedSize <= kConfigScanMargin) return std::nullopt;
    // p + 20 < mappedSize: both markers lie wholly inside the mapped bytes.
    const std::size_t limit = mappedSize - kConfigScanMargin;
    const auto startMarker = BuildStartMarker();
    const auto endMarker = BuildEndMarker();
    std::size_t p = 0;
    for (; p < limit; ++p) {
        if (MatchesAt(data, p, startMarker)) break;
    }
    if (p >= limit) return std::nullopt;
    const std::size_t begin = p + kStartMarkerSize;
    for (p = begin; p < limit; ++p) {
        if (MatchesAt(data, p, endMarker)) {
            if (p == begin) return std::nullopt;
            return ConfigBlockLocation{begin, p - begin};
        }
    }
    return std::nullopt;
}

std::vector<std::uint8_t> DecipherConfigBlock(const std::uint8_t* block, std::size_t size,
                                              const ConfigKey& key) {
    if (size <= kConfigIvSize || (size - kConfigIvSize) % riviru::Aes128::kBlockSize != 0) return {};
    riviru::Aes128::Block iv{};
    std::copy(block, block + kConfigIvSize, iv.begin());
    const riviru::Aes128 cipher(key);
    std::vector<std::uint8_t> plain =
        riviru::AesCbcDecrypt(cipher, iv, block + kConfigIvSize, size - kConfigIvSize);
    const std::size_t drop = std::min<std::size_t>(plain.back(), riviru::Aes128::kBlockSize);
    plain.resize(plain.size() - drop);
    return plain;
}

std::vector<std::uint8_t> DecipherConfigBlock(const std::uint8_t* block, std::size_t size) {
    ConfigKey key = BuildConfigKey();
    auto plain = DecipherConfigBlock(block, size, key);
    Wipe(key);
    return plain;
}

std::optional<std::wstring> DecodeConfigText(const std::vector<std::uint8_t>& plaintext) {
    return riviru::DecodeUtf8(
        std::string_view(reinterpret_cast<const char*>(plaintext.data()), plaintext.size()));
}

riviru::HResult ReadConfigBlockFromMemory(const std::uint8_t* data, std::size_t mappedSize,
                                          std::wstring& text) {
    text.clear();
    const auto location = FindConfigBlock(data, mappedSize);
    if (!location) return riviru::kInvalidData;
    auto decoded = DecodeConfigText(DecipherConfigBlock(data + location->begin, location->size));
    if (!decoded) return riviru::kInvalidData;
    text = std::move(*decoded);
    return riviru::kOk;
}

}  // namespace sfx
