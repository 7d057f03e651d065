#include <gtest/gtest.h>

#include "sfx/EntryPath.h"

TEST(EntryPath, PlainRelativeNamesAreSafe) {
    const wchar_t* const safe[] = {
        L"setup.exe", L"data\\readme.txt", L"data/sub/file.bin", L"a..b",         L".hidden", L"..a",
        L"COM0",      L"LPT10.txt",        L"console",           L"a b\\c d.txt", L"cond\\x"};
    for (const wchar_t* path : safe) EXPECT_TRUE(sfx::IsSafeEntryPath(path)) << testing::PrintToString(path);
}

TEST(EntryPath, NamesThatLeaveTheFolderOrReachDevicesAreRefused) {
    const wchar_t* const unsafe[] = {
        L"",                       // nothing
        L"..\\evil.txt",           // up
        L"sub\\..\\..\\evil.txt",  // up from a subfolder
        L"../evil.txt",            // up with slashes
        L"sub\\..",                // up at the end
        L"\\evil.txt",             // the drive's root
        L"/abs/evil.txt",          // root with a slash
        L"C:\\evil.txt",           // drive letter
        L"C:evil.txt",             // drive-relative
        L"\\\\server\\share\\x",   // UNC
        L"\\\\?\\C:\\evil.txt",    // long-path prefix
        L"\\\\.\\PhysicalDrive0",  // device namespace
        L"a.txt:ads",              // alternate data stream
        L"a.txt::$DATA",           // the main stream by its stream name
        L"CON",                    // device
        L"sub\\nul.txt",           // device with an extension, in a subfolder
        L"Aux .log",               // device with a space before the dot
        L"con.d\\x",               // a device whatever follows the dot
        L"com1",                   // numbered device, lower case
        L"LPT9.dat",               // numbered device
        L"CONOUT$",                // console device
        L"a\\\\b",                 // empty part
        L"...",                    // only dots: Windows makes it an empty name
        L"sub\\. .",               // dots and spaces
        L"a\x01"
        L"b",  // control character
    };
    for (const wchar_t* path : unsafe)
        EXPECT_FALSE(sfx::IsSafeEntryPath(path)) << testing::PrintToString(path);
}
