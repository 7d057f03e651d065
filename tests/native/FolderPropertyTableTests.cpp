// The folder property table's rows: the fixed names, and the rows that depend
// on whether the 32-bit stub runs on 64-bit Windows.
#include <gtest/gtest.h>

#include <string>

#include "riviru/localization/FolderPropertyTable.h"

namespace {

using riviru::BuildFolderPropertyTable;
using riviru::FolderPropertyRule;

const FolderPropertyRule kNone{};
const FolderPropertyRule kProgramW6432{-1, L"ProgramW6432"};
const FolderPropertyRule kCommonProgramW6432{-1, L"CommonProgramW6432"};
const FolderPropertyRule kProgramFiles{38, {}};
const FolderPropertyRule kCommonFiles{43, {}};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

TEST(FolderPropertyTable, HasTheInstallerAndWixNames) {
    for (const bool is64Bit : {false, true}) {
        const auto table = BuildFolderPropertyTable(is64Bit);
        EXPECT_EQ(table.size(), 49u);
        for (const wchar_t* name : {L"AdminToolsFolder", L"PersonalFolder", L"TempFolder", L"SystemFolder",
                                    L"WindowsVolume", L"WIX_DIR_RESOURCES", L"WIX_DIR_DESKTOP"}) {
            EXPECT_EQ(table.count(name), 1u) << Narrow(name);
        }
    }
}

TEST(FolderPropertyTable, RowsThatDependOnTheWindowsBitness) {
    const struct {
        const wchar_t* name;
        FolderPropertyRule on32Bit;
        FolderPropertyRule on64Bit;
    } rows[] = {
        {L"ProgramFiles64Folder", kNone, kProgramW6432},
        {L"CommonFiles64Folder", kNone, kCommonProgramW6432},
        {L"ProgramFiles6432Folder", kProgramFiles, kProgramW6432},
        {L"CommonFiles6432Folder", kCommonFiles, kCommonProgramW6432},
        // The 32-bit folders stay what the shell reports to a 32-bit program.
        {L"ProgramFilesFolder", kProgramFiles, kProgramFiles},
        {L"CommonFilesFolder", kCommonFiles, kCommonFiles},
    };
    const auto table32 = BuildFolderPropertyTable(false);
    const auto table64 = BuildFolderPropertyTable(true);
    for (const auto& row : rows) {
        SCOPED_TRACE(Narrow(row.name));
        EXPECT_EQ(table32.at(row.name), row.on32Bit);
        EXPECT_EQ(table64.at(row.name), row.on64Bit);
    }
}

TEST(FolderPropertyTable, NamesResolvedByNameHaveNoRule) {
    const auto table = BuildFolderPropertyTable(true);
    for (const wchar_t* name :
         {L"System16Folder", L"System64Folder", L"SystemFolder", L"TempFolder", L"WindowsVolume"}) {
        EXPECT_EQ(table.at(name), kNone) << Narrow(name);
    }
}

TEST(FolderPropertyTable, NamesAreCaseSensitive) {
    const auto table = BuildFolderPropertyTable(false);
    EXPECT_EQ(table.count(L"personalfolder"), 0u);
    EXPECT_EQ(table.count(L"PERSONALFOLDER"), 0u);
    EXPECT_EQ(table.count(L"wix_dir_personal"), 0u);
    // Every CSIDL row names a shell folder; only the 64-bit rows use the environment.
    for (const auto& [name, rule] : table) {
        if (rule.csidl != -1) {
            EXPECT_TRUE(rule.environmentVariable.empty()) << Narrow(name);
        }
    }
}
