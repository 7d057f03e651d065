// Removal of extraction folders on the real file system.
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "riviru/io/RemoveFolderTree.h"
#include "riviru/win/UniqueResource.h"

namespace {

using riviru::FolderRemoveFlags;
using riviru::RemoveFolderTree;

constexpr FolderRemoveFlags kAll =
    FolderRemoveFlags::RemoveRoot | FolderRemoveFlags::Recurse | FolderRemoveFlags::ClearReadOnly;

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class RemoveFolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
        wchar_t name[MAX_PATH];
        ASSERT_NE(::GetTempFileNameW(temp, L"rft", 0, name), 0u);
        ::DeleteFileW(name);
        root_ = name;
        ASSERT_TRUE(::CreateDirectoryW(root_.c_str(), nullptr));
    }

    void TearDown() override {
        held_.reset();
        // Whatever a test left behind, including read-only files.
        RemoveFolderTree(root_, kAll);
    }

    std::wstring At(const wchar_t* relative) const { return root_ + L"\\" + relative; }

    void Folder(const wchar_t* relative) const {
        ASSERT_TRUE(::CreateDirectoryW(At(relative).c_str(), nullptr));
    }

    void File(const wchar_t* relative, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        riviru::win::unique_file file(
            ::CreateFileW(At(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
        ASSERT_TRUE(file) << Narrow(At(relative));
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), "data", 4, &written, nullptr));
    }

    // Open without any sharing, as a running program holds its file.
    void Hold(const wchar_t* relative) {
        held_.reset(::CreateFileW(At(relative).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held_);
    }

    // The usual extraction folder: files, read-only files, empty and nested folders.
    void MakeTree() const {
        Folder(L"sub");
        Folder(L"sub\\deeper");
        Folder(L"empty");
        File(L"setup.exe");
        File(L"readonly.txt", FILE_ATTRIBUTE_READONLY);
        File(L"sub\\a.cab");
        File(L"sub\\deeper\\b.cab", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    }

    std::wstring root_;
    riviru::win::unique_file held_;
};

}  // namespace

TEST_F(RemoveFolderTreeTest, RemovesEverythingIncludingReadOnlyFiles) {
    MakeTree();
    EXPECT_TRUE(RemoveFolderTree(root_, kAll));
    EXPECT_FALSE(Exists(root_));
}

TEST_F(RemoveFolderTreeTest, AcceptsATrailingBackslashAndTheExtendedPrefix) {
    for (const std::wstring& path : {root_ + L"\\", L"\\\\?\\" + root_}) {
        SCOPED_TRACE(Narrow(path));
        if (!Exists(root_)) {
            ASSERT_TRUE(::CreateDirectoryW(root_.c_str(), nullptr));
        }
        File(L"x.txt");
        EXPECT_TRUE(RemoveFolderTree(path, kAll));
        EXPECT_FALSE(Exists(root_));
    }
}

TEST_F(RemoveFolderTreeTest, HeldFileStaysWithItsParentsAndEverythingElseGoes) {
    MakeTree();
    File(L"sub\\deeper\\held.dll");
    Hold(L"sub\\deeper\\held.dll");
    ::SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(RemoveFolderTree(root_, kAll));
    // The last failure is the root, which is not empty.
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));

    for (const wchar_t* kept : {L"sub\\deeper\\held.dll", L"sub\\deeper", L"sub"}) {
        EXPECT_TRUE(Exists(At(kept))) << Narrow(kept);
    }
    EXPECT_TRUE(Exists(root_));
    for (const wchar_t* gone :
         {L"setup.exe", L"readonly.txt", L"empty", L"sub\\a.cab", L"sub\\deeper\\b.cab"}) {
        EXPECT_FALSE(Exists(At(gone))) << Narrow(gone);
    }
}

TEST_F(RemoveFolderTreeTest, StopOnErrorReturnsTheFirstFailure) {
    Folder(L"sub");
    File(L"sub\\held.dll");
    Hold(L"sub\\held.dll");
    EXPECT_FALSE(RemoveFolderTree(root_, kAll | FolderRemoveFlags::StopOnError));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(Exists(At(L"sub")));
}

TEST_F(RemoveFolderTreeTest, LastErrorIsThatOfTheLastFailureNotOfTheEnumeration) {
    File(L"held.dll");
    File(L"other.txt");
    Hold(L"held.dll");
    EXPECT_FALSE(RemoveFolderTree(root_, FolderRemoveFlags::Recurse | FolderRemoveFlags::ClearReadOnly));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(Exists(At(L"other.txt")));
}

TEST_F(RemoveFolderTreeTest, ReadOnlyFileStaysWithoutClearReadOnly) {
    MakeTree();
    EXPECT_FALSE(RemoveFolderTree(root_, FolderRemoveFlags::RemoveRoot | FolderRemoveFlags::Recurse));
    EXPECT_TRUE(Exists(At(L"readonly.txt")));
    EXPECT_TRUE(Exists(At(L"sub\\deeper\\b.cab")));
    EXPECT_FALSE(Exists(At(L"setup.exe")));
    EXPECT_FALSE(Exists(At(L"sub\\a.cab")));
    EXPECT_FALSE(Exists(At(L"empty")));
}

TEST_F(RemoveFolderTreeTest, WithoutRemoveRootTheEmptiedRootStays) {
    MakeTree();
    EXPECT_TRUE(RemoveFolderTree(root_, FolderRemoveFlags::Recurse | FolderRemoveFlags::ClearReadOnly));
    EXPECT_TRUE(Exists(root_));
    WIN32_FIND_DATAW entry;
    riviru::win::unique_find find(::FindFirstFileW(At(L"*").c_str(), &entry));
    ASSERT_TRUE(find);
    int entries = 0;
    do ++entries;
    while (::FindNextFileW(find.get(), &entry));
    EXPECT_EQ(entries, 2) << "only . and .. are left";
}

TEST_F(RemoveFolderTreeTest, WithoutRecurseSubfoldersAndTheRootStay) {
    MakeTree();
    EXPECT_FALSE(RemoveFolderTree(root_, FolderRemoveFlags::RemoveRoot | FolderRemoveFlags::ClearReadOnly));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(Exists(At(L"setup.exe")));
    EXPECT_FALSE(Exists(At(L"readonly.txt")));
    EXPECT_TRUE(Exists(At(L"sub\\a.cab")));
    EXPECT_TRUE(Exists(At(L"empty")));
}

TEST_F(RemoveFolderTreeTest, RelativeAndEmptyPathsAreRefusedUntouched) {
    Folder(L"data");
    Folder(L"data\\old");
    File(L"data\\old\\keep.txt");
    wchar_t previous[MAX_PATH];
    ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryW(root_.c_str()));
    for (const wchar_t* path : {L"data\\old", L"", L".", L"\\data\\old", L"data"}) {
        SCOPED_TRACE(Narrow(path));
        ::SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(RemoveFolderTree(path, kAll));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    ::SetCurrentDirectoryW(previous);
    EXPECT_TRUE(Exists(At(L"data\\old\\keep.txt")));
}

TEST_F(RemoveFolderTreeTest, MissingFolderIsAFailure) {
    EXPECT_FALSE(RemoveFolderTree(At(L"missing"), kAll));
    EXPECT_NE(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(RemoveFolderTreeTest, JunctionIsRemovedWithoutEnteringItsTarget) {
    Folder(L"target");
    File(L"target\\precious.txt");
    Folder(L"tree");
    Folder(L"tree\\link");
    {
        riviru::win::unique_file link(
            ::CreateFileW(At(L"tree\\link").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        ASSERT_TRUE(link);
        // A mount-point reparse buffer: tag, lengths, substitute name, empty print name.
        const std::wstring substitute = L"\\??\\" + At(L"target");
        const auto nameBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
        std::vector<std::uint8_t> buffer(16 + nameBytes + 2 * sizeof(wchar_t), 0);
        const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
        const WORD header[6] = {static_cast<WORD>(buffer.size() - 8),           0, 0, nameBytes,
                                static_cast<WORD>(nameBytes + sizeof(wchar_t)), 0};
        std::memcpy(buffer.data(), &tag, 4);
        std::memcpy(buffer.data() + 4, header, sizeof header);
        std::memcpy(buffer.data() + 16, substitute.data(), nameBytes);
        DWORD returned = 0;
        if (!::DeviceIoControl(link.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                               static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr)) {
            GTEST_SKIP() << "cannot make a junction here: FSCTL_SET_REPARSE_POINT failed with error "
                         << ::GetLastError() << " (Wine 8.0 has no mount points)";
        }
    }
    ASSERT_NE(::GetFileAttributesW(At(L"tree\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_TRUE(RemoveFolderTree(At(L"tree"), kAll));
    EXPECT_FALSE(Exists(At(L"tree")));
    EXPECT_TRUE(Exists(At(L"target\\precious.txt")));
}

namespace {

// CreateSymbolicLinkW, allowing an unprivileged creator where the system knows
// the flag (Windows 10 developer mode); false with the reason when no link
// came of it.
::testing::AssertionResult MakeSymbolicLink(const std::wstring& link, const std::wstring& target, bool folder) {
    constexpr DWORD kAllowUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    const DWORD kind = folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
    if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(), kind | kAllowUnprivileged) &&
        !::CreateSymbolicLinkW(link.c_str(), target.c_str(), kind)) {
        return ::testing::AssertionFailure() << "CreateSymbolicLinkW failed with error " << ::GetLastError();
    }
    // Wine 8.0 reports success and makes nothing.
    if (!Exists(link)) return ::testing::AssertionFailure() << "CreateSymbolicLinkW made no link";
    return ::testing::AssertionSuccess();
}

}  // namespace

// Links inside the folder, to a folder and to a read-only file outside it:
// the links go, their targets and the targets' attributes stay.
TEST_F(RemoveFolderTreeTest, SymbolicLinksAreRemovedWithoutTouchingTheirTargets) {
    Folder(L"outside");
    File(L"outside\\precious.txt");
    File(L"outside\\locked.txt", FILE_ATTRIBUTE_READONLY);
    Folder(L"tree");
    Folder(L"tree\\sub");
    const ::testing::AssertionResult made = MakeSymbolicLink(At(L"tree\\sub\\folderlink"), At(L"outside"), true);
    if (!made) GTEST_SKIP() << made.message();
    ASSERT_TRUE(MakeSymbolicLink(At(L"tree\\filelink"), At(L"outside\\locked.txt"), false));
    const DWORD linkAttributes = ::GetFileAttributesW(At(L"tree\\sub\\folderlink").c_str());
    ASSERT_NE(linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u) << "the system does not report the link";
    // The file link shows its own attributes; make it read-only as well, so
    // that clearing them is needed and must not reach the target.
    ::SetFileAttributesW(At(L"outside\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_TRUE(RemoveFolderTree(At(L"tree"), kAll));
    EXPECT_FALSE(Exists(At(L"tree")));
    EXPECT_TRUE(Exists(At(L"outside\\precious.txt")));
    EXPECT_TRUE(Exists(At(L"outside\\locked.txt")));
    EXPECT_NE(::GetFileAttributesW(At(L"outside\\locked.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

// The folder itself replaced by a link: only the link goes.
TEST_F(RemoveFolderTreeTest, FolderThatIsALinkIsNotEntered) {
    Folder(L"outside");
    File(L"outside\\precious.txt");
    const ::testing::AssertionResult made = MakeSymbolicLink(At(L"tree"), At(L"outside"), true);
    if (!made) GTEST_SKIP() << made.message();
    ASSERT_NE(::GetFileAttributesW(At(L"tree").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u)
        << "the system does not report the link";

    EXPECT_TRUE(RemoveFolderTree(At(L"tree"), kAll));
    EXPECT_FALSE(Exists(At(L"tree")));
    EXPECT_TRUE(Exists(At(L"outside\\precious.txt")));
}
