// The values the stub forwards to the setup: the data trailer with its
// percent escapes (compared with sfxpack's reading of the same bytes, and
// written back by sfxpack and read again), the token in the executable's file
// name, a stamped resource's text and the values file made of them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "DataTrailer.h"
#include "FuzzText.h"
#include "sfx/ForwardedValues.h"

namespace {

// The stub keeps the last value of a key.
sfx::SetupValueMap AsMap(const std::vector<sfxpack::DataTrailerItem>& items) {
    sfx::SetupValueMap values;
    for (const auto& [key, value] : items) values[key] = value;
    return values;
}

void CheckTrailer(const std::uint8_t* data, std::size_t size) {
    sfx::SetupValueMap values;
    const riviru::HResult hr = sfx::ParseDataTrailer(data, size, values);
    const auto found = sfxpack::FindDataTrailer(data, size);
    if (!found) {
        SFX_FUZZ_EXPECT(hr == sfx::kNoMoreItems && values.empty());
        return;
    }
    SFX_FUZZ_EXPECT(hr == (found->complete ? riviru::kOk : riviru::kInvalidData));
    SFX_FUZZ_EXPECT(values == AsMap(found->items));

    const std::string file = sfx::FormatSetupValues(values);
    SFX_FUZZ_EXPECT(riviru::DecodeUtf8(file).has_value());
    SFX_FUZZ_EXPECT(file.empty() || file.substr(file.size() - 2) == "\r\n");

    // Written by sfxpack, the items read back the same unless a key or value
    // holds the bytes of the end marker, which then cuts the trailer short.
    const std::vector<std::uint8_t> encoded = sfxpack::EncodeDataTrailer(found->items);
    const auto again = sfxpack::FindDataTrailer(encoded.data(), encoded.size());
    SFX_FUZZ_EXPECT(again && again->offset == 0);
    if (again->size != encoded.size()) return;
    sfx::SetupValueMap reread;
    SFX_FUZZ_EXPECT(sfx::ParseDataTrailer(encoded.data(), encoded.size(), reread) == riviru::kOk);
    SFX_FUZZ_EXPECT(reread == values);
}

void CheckFileNameToken(const std::wstring& path) {
    const auto token = sfx::FileNameToken(path);
    if (!token) return;
    SFX_FUZZ_EXPECT(token->size() == 16);
    SFX_FUZZ_EXPECT(std::all_of(token->begin(), token->end(), [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    }));
    SFX_FUZZ_EXPECT(path.find(L"--ph" + *token) != std::wstring::npos);
}

void CheckStampedValue(const std::uint8_t* data, std::size_t size) {
    const std::wstring value = sfx::StampedResourceValue(data, size);
    const std::size_t length = static_cast<std::size_t>(std::find(data, data + size, 0) - data);
    const std::string_view text(reinterpret_cast<const char*>(data), length);
    SFX_FUZZ_EXPECT(value.empty() || riviru::EncodeUtf8(value) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckTrailer(data, size);
    const std::wstring text = sfxfuzz::WideText(data, size);
    CheckFileNameToken(text);
    (void)sfx::IsStampedResourceName(text);
    CheckStampedValue(data, size);
    return 0;
}
