#include "sfx/RoomiestDrive.h"

namespace sfx {

RoomiestDrive ChooseRoomiestDrive(const std::vector<DriveSpace>& drives) {
    RoomiestDrive best;
    for (const DriveSpace& drive : drives) {
        if (drive.type == kDriveRemovable || drive.type == kDriveRemote || drive.type == kDriveCdRom)
            continue;
        if (drive.freeBytes > best.freeBytes) {
            best.root = drive.root;
            best.freeBytes = drive.freeBytes;
        }
    }
    best.found = best.freeBytes != 0;
    return best;
}

std::vector<std::wstring> SplitDriveStrings(std::wstring_view list) {
    std::vector<std::wstring> roots;
    std::size_t from = 0;
    while (from < list.size() && list[from] != L'\0') {
        std::size_t end = list.find(L'\0', from);
        if (end == std::wstring_view::npos) end = list.size();
        roots.emplace_back(list.substr(from, end - from));
        from = end + 1;
    }
    return roots;
}

}  // namespace sfx
