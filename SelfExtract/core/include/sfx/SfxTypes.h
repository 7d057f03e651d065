// Values shared by the whole stub: the user-interface level of a run, the
// preset answer to the overwrite question and the stub's own exit codes.
#pragma once
#include <cstdint>

namespace sfx {

enum class UiLevel : std::int32_t {
    Silent = 0,  // /q: no box, no progress window
    Qm = 1,      // /qm: progress window hidden; only errors and warnings
    Qb = 2,      // /qb: progress window shown; only errors and warnings
    Qx = 3,      // /qx: as Qb
    Normal = 4,
};

enum class OverwriteAnswer : std::int32_t {
    Yes = 0,
    YesToAll = 1,
    No = 2,
    NoToAll = 3,
    Cancel = 4,
};

namespace exit_code {
inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kUserCancelled = 1602;
inline constexpr std::int32_t kStringTablesFailed = 0x20000002;
inline constexpr std::int32_t kBadPackage = 0x20001004;
inline constexpr std::int32_t kSetupStartFailed = 0x20001005;
}  // namespace exit_code

}  // namespace sfx
