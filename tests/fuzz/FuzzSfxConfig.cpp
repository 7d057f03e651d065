// The configuration text after deciphering: sections and pairs are parsed,
// then every section is asked for every key the text names.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzText.h"
#include "sfx/SfxConfig.h"

namespace {

constexpr std::size_t kMaxQueries = 64;  // of sections and of keys each, to keep runs fast

// What stands before the first "=" of each line; the parser trims it itself,
// the untrimmed form is asked for as well.
std::vector<std::wstring> KeysNamedIn(std::wstring_view text) {
    std::vector<std::wstring> keys;
    std::size_t from = 0;
    while (from < text.size() && keys.size() < kMaxQueries) {
        std::size_t end = text.find_first_of(L"\r\n", from);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = text.substr(from, end - from);
        const std::size_t equals = line.find(L'=');
        if (equals != std::wstring_view::npos) {
            std::wstring_view key = line.substr(0, equals);
            keys.emplace_back(key);
            while (!key.empty() && (key.front() == L' ' || key.front() == L'\t')) key.remove_prefix(1);
            while (!key.empty() && (key.back() == L' ' || key.back() == L'\t')) key.remove_suffix(1);
            keys.emplace_back(key);
        }
        from = end + 1;
    }
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = sfxfuzz::WideText(data, size);
    sfx::SfxConfig config;
    config.Parse(text);
    const std::vector<std::wstring> names = config.GetSectionNames();
    const std::vector<std::wstring> keys = KeysNamedIn(text);
    for (std::size_t s = 0; s < std::min(names.size(), kMaxQueries); ++s) {
        SFX_FUZZ_EXPECT(config.HasSection(names[s]));
        for (const std::wstring& key : keys) {
            // A missing or empty value gives the default number.
            const bool empty = config.GetValue(names[s], key, L"").empty();
            const std::int32_t number = config.GetInt(names[s], key, -7);
            SFX_FUZZ_EXPECT(!empty || number == -7);
        }
    }
    // Parsing the same text again replaces every pair by itself.
    config.Parse(text);
    SFX_FUZZ_EXPECT(config.GetSectionNames() == names);
    return 0;
}
