// Stamps values into the placeholder resources of a stub held in memory: the
// package size into _KVR_VERIFY, and values for the setup into the RCDATA
// resources named KVR... and KV_..., each overwritten in place so that the
// stub keeps its size and layout.
// Holds: StubStamper and the names it works with.
#pragma once
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "PeResources.h"

namespace sfxpack {

inline constexpr std::wstring_view kPackageSizeResource = L"_KVR_VERIFY";
inline constexpr std::uint32_t kPackageSizeResourceSize = 8;

// The names whose values the stub forwards to the setup (case-sensitive).
inline bool IsForwardedResourceName(std::wstring_view name) noexcept {
    return name.substr(0, 3) == L"KVR" || name.substr(0, 3) == L"KV_";
}

class StubStamper {
public:
    // Works on stub, which must outlive it; file names the stub in errors.
    // PackError when the resource directory is damaged or the stub has no
    // 8-byte _KVR_VERIFY.
    StubStamper(std::vector<std::uint8_t>& stub, std::filesystem::path file);

    // value (UTF-8) zero-filled to the resource's size; it may fill it
    // exactly, since the stub reads up to the first zero byte or the end.
    // PackError, with the stub left unchanged, for _KVR_VERIFY, a name not
    // beginning with KVR or KV_, a resource the stub does not have, a name
    // stamped before, or a value that is not UTF-8, holds a zero byte or a
    // line break, or does not fit.
    void StampValue(const std::string& name, const std::string& value);

    // Unsigned 64-bit little-endian.
    void StampPackageSize(std::uint64_t size);

    // The KVR/KV_ resources of the stub; while there is one, the stub ignores
    // a data trailer.
    std::vector<std::wstring> ForwardedResourceNames() const;

private:
    std::vector<std::uint8_t>& stub_;
    std::filesystem::path file_;
    PeResources resources_;
    std::set<std::wstring> stamped_;
};

}  // namespace sfxpack
