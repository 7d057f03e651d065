// The data trailer at the end of a package: UTF-16LE "##DATA##", items
// KEY=VALUE joined by "&", "##ENDDATA##". In keys and values "%" and two hex
// digits stand for one UTF-16 code unit. The stub looks for the trailer only
// in the last kDataTrailerWindow bytes of its file, and only when it carries
// no stamped KVR/KV_ resource.
// Holds: DataTrailerItem, FoundDataTrailer and the functions that work on them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sfxpack {

inline constexpr std::size_t kDataTrailerWindow = 65536;

using DataTrailerItem = std::pair<std::wstring, std::wstring>;  // key, value (UTF-16)

// "%", "&" and "=" are escaped, all else is kept as it is.
std::vector<std::uint8_t> EncodeDataTrailer(const std::vector<DataTrailerItem>& items);

struct FoundDataTrailer {
    std::size_t offset = 0;              // of "##DATA##" in the searched bytes
    std::size_t size = 0;                // up to the end of "##ENDDATA##"; 0 when that is missing
    std::vector<DataTrailerItem> items;  // every piece, in order, empty ones too
    bool complete = true;                // false when a cut escape or a missing end marker stopped the parse
};

// Reads the trailer as the stub does from the bytes it searches: the first
// start marker, the first end marker after it, pieces split at every "&"
// (a last empty piece dropped), key and value split at the first "=". nullopt
// when there is no start marker.
std::optional<FoundDataTrailer> FindDataTrailer(const std::uint8_t* data, std::size_t size);

}  // namespace sfxpack
