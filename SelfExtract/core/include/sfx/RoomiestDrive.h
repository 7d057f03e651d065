// The choice of the drive with the most free space, over drive facts that the
// caller gathered from the system.
// Holds: DriveSpace, RoomiestDrive, ChooseRoomiestDrive, SplitDriveStrings.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sfx {

// The drive-type values of the system that are never chosen.
inline constexpr unsigned kDriveRemovable = 2;
inline constexpr unsigned kDriveRemote = 4;
inline constexpr unsigned kDriveCdRom = 5;

struct DriveSpace {
    std::wstring root;            // "C:\"
    unsigned type = 0;            // the system's drive type
    std::uint64_t freeBytes = 0;  // available to the caller; 0 when unknown
};

struct RoomiestDrive {
    bool found = false;
    std::wstring root;
    std::uint64_t freeBytes = 0;
};

// Skips removable, network and CD-ROM drives; of the others the first one
// with strictly more free bytes than all before it. A drive with 0 bytes free
// is never chosen.
RoomiestDrive ChooseRoomiestDrive(const std::vector<DriveSpace>& drives);

// The roots of a list of zero-terminated strings ended by an empty one.
std::vector<std::wstring> SplitDriveStrings(std::wstring_view list);

}  // namespace sfx
