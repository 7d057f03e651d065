#include "FindRoomiestDrive.h"

#include <windows.h>

#include <vector>

namespace {

constexpr DWORD kRootListLength = 109;

}  // namespace

sfx::RoomiestDrive FindRoomiestDrive() {
    wchar_t list[kRootListLength] = {};
    const DWORD length = ::GetLogicalDriveStringsW(kRootListLength, list);
    if (length == 0 || length > kRootListLength) return {};
    std::vector<sfx::DriveSpace> drives;
    for (const std::wstring& root : sfx::SplitDriveStrings(std::wstring_view(list, length))) {
        sfx::DriveSpace drive;
        drive.root = root;
        drive.type = ::GetDriveTypeW(root.c_str());
        if (drive.type != sfx::kDriveRemovable && drive.type != sfx::kDriveRemote &&
            drive.type != sfx::kDriveCdRom) {
            ULARGE_INTEGER available{};
            if (::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr))
                drive.freeBytes = available.QuadPart;
        }
        drives.push_back(std::move(drive));
    }
    return sfx::ChooseRoomiestDrive(drives);
}
