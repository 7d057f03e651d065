#include "sfx/ConfigKey.h"

#include "sfx/ConfigKeyConstants.h"

namespace sfx {

ConfigKey BuildConfigKey() noexcept {
    ConfigKey key{};
    for (std::size_t word = 0; word < 4; ++word) {
        // volatile keeps the compiler from folding the words into one constant
        // block of key bytes.
        volatile std::uint32_t value = kConfigKeyWords[word];
        const std::uint32_t v = value;
        for (std::size_t byte = 0; byte < 4; ++byte) {
            key[word * 4 + byte] = static_cast<std::uint8_t>(v >> (8 * byte));
        }
    }
    return key;
}

}  // namespace sfx
