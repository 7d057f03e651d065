#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sfx/RoomiestDrive.h"

namespace {

constexpr unsigned kFixed = 3;
constexpr unsigned kRamDisk = 6;
constexpr unsigned kUnknown = 0;
constexpr unsigned kNoRoot = 1;

}  // namespace

TEST(RoomiestDrive, ChoosesStrictlyTheMostFreeSpaceOfUsableDrives) {
    const struct {
        const char* name;
        std::vector<sfx::DriveSpace> drives;
        bool found;
        const wchar_t* root;
        std::uint64_t freeBytes;
    } cases[] = {
        {"no drives", {}, false, L"", 0},
        {"most free wins",
         {{L"C:\\", kFixed, 10}, {L"D:\\", kFixed, 30}, {L"E:\\", kFixed, 20}},
         true,
         L"D:\\",
         30},
        {"first of equals wins", {{L"C:\\", kFixed, 30}, {L"D:\\", kFixed, 30}}, true, L"C:\\", 30},
        {"0 free never chosen", {{L"C:\\", kFixed, 0}}, false, L"", 0},
        {"0 free beside others", {{L"C:\\", kFixed, 0}, {L"D:\\", kFixed, 1}}, true, L"D:\\", 1},
        {"removable, network and CD skipped",
         {{L"A:\\", sfx::kDriveRemovable, 900},
          {L"C:\\", kFixed, 5},
          {L"N:\\", sfx::kDriveRemote, 800},
          {L"R:\\", sfx::kDriveCdRom, 700}},
         true,
         L"C:\\",
         5},
        {"only skipped kinds",
         {{L"A:\\", sfx::kDriveRemovable, 900},
          {L"N:\\", sfx::kDriveRemote, 800},
          {L"R:\\", sfx::kDriveCdRom, 7}},
         false,
         L"",
         0},
        {"RAM disk and unknown kinds count",
         {{L"C:\\", kFixed, 5}, {L"X:\\", kRamDisk, 6}, {L"Y:\\", kUnknown, 7}, {L"Z:\\", kNoRoot, 8}},
         true,
         L"Z:\\",
         8},
        {"above 4 GiB",
         {{L"C:\\", kFixed, 0x100000000ull}, {L"D:\\", kFixed, 0xFFFFFFFFull}},
         true,
         L"C:\\",
         0x100000000ull},
    };
    for (const auto& c : cases) {
        const sfx::RoomiestDrive best = sfx::ChooseRoomiestDrive(c.drives);
        EXPECT_EQ(best.found, c.found) << c.name;
        EXPECT_EQ(best.root, c.root) << c.name;
        EXPECT_EQ(best.freeBytes, c.freeBytes) << c.name;
    }
}

TEST(RoomiestDrive, SplitsTheSystemsRootList) {
    using namespace std::string_literals;
    const struct {
        std::wstring list;
        std::vector<std::wstring> roots;
    } cases[] = {
        {L"C:\\\0D:\\\0Z:\\\0\0"s, {L"C:\\", L"D:\\", L"Z:\\"}},
        {L"C:\\\0\0"s, {L"C:\\"}},
        {L"\0"s, {}},
        {L""s, {}},
        {L"C:\\\0D:\\"s, {L"C:\\", L"D:\\"}},  // cut off without the final empty string
    };
    for (const auto& c : cases) EXPECT_EQ(sfx::SplitDriveStrings(c.list), c.roots);
}
