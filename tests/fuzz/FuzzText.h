// Helpers of the fuzz targets: input bytes as the wide texts the parsers
// take, and a check that stops the run when a parser breaks a promise.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "riviru/text/Utf.h"

namespace sfxfuzz {

// UTF-8 when the bytes are valid UTF-8, otherwise one code unit per byte, so
// that readable seeds stay readable and every input still gives some text.
inline std::wstring WideText(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto decoded = riviru::DecodeUtf8(bytes)) return std::move(*decoded);
    return std::wstring(data, data + size);
}

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: expectation failed: %s\n", file, line, condition);
    std::abort();  // libFuzzer saves the input as a crash
}

}  // namespace sfxfuzz

#define SFX_FUZZ_EXPECT(condition) \
    ((condition) ? static_cast<void>(0) : ::sfxfuzz::Fail(#condition, __FILE__, __LINE__))
