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

// The first p in [from, limit) at which the marker lies in data, or limit.
// memchr finds the candidates for the first byte at the speed of a plain read
// of the bytes; only those are compared in full.
template <std::size_t N>
std::size_t FindMarker(const std::uint8_t* data, std::size_t from, std::size_t limit,
                       const ConfigMarker<N>& marker) noexcept {
    std::size_t p = from;
    while (p < limit) {
        const void* hit = std::memchr(data + p, marker[0], limit - p);
        if (hit == nullptr) return limit;
        p = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data);
        if (std::memcmp(data + p + 1, marker.data() + 1, N - 1) == 0) return p;
        ++p;
    }
    return limit;
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
    // The whole 64-bit size: the low 32 bits of a file beyond 4 GiB can be
    // anything down to 0.
    return static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kConfigScanLimit));
}

std::optional<ConfigBlockLocation> FindConfigBlock(const std::uint8_t* data,
                                                   std::size_t mappedSize) noexcept {
    if (data == nullptr || mappedSize <= kConfigScanMargin) return std::nullopt;
    // p + 20 < mappedSize: both markers lie wholly inside the mapped bytes.
    const std::size_t limit = mappedSize - kConfigScanMargin;
    const auto startMarker = BuildStartMarker();
    const auto endMarker = BuildEndMarker();
    const std::size_t start = FindMarker(data, 0, limit, startMarker);
    if (start >= limit) return std::nullopt;
    const std::size_t begin = start + kStartMarkerSize;
    const std::size_t end = FindMarker(data, begin, limit, endMarker);
    if (end >= limit || end == begin) return std::nullopt;
    return ConfigBlockLocation{begin, end - begin};
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
