// The fresh extraction folder of a normal run, with a random source the
// tests control.
#include <gtest/gtest.h>
#include <windows.h>

#include <aclapi.h>

#include <cstring>
#include <memory>
#include <string>

#include "FreshExtractFolder.h"
#include "TestFileSystem.h"

namespace {

// Call k (from 0) fills the buffer with the byte k, so its name is "kvr"
// followed by 8 times the k-th character of the alphabet; calls counts the calls.
struct ScriptedRandom {
    std::shared_ptr<int> calls = std::make_shared<int>(0);
    int fixed = -1;  // >= 0: every call gives this byte

    sfx::RandomBytes Source() const {
        return [calls = calls, fixed = fixed](std::uint8_t* buffer, std::size_t size) {
            const int value = fixed >= 0 ? fixed : *calls;
            ++*calls;
            std::memset(buffer, value, size);
            return true;
        };
    }
};

bool RunsOnWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class FreshExtractFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
        wchar_t name[MAX_PATH];
        ASSERT_NE(::GetTempFileNameW(temp, L"fef", 0, name), 0u);
        ::DeleteFileW(name);
        parent_ = std::wstring(name) + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(parent_.c_str(), nullptr));
    }
    void TearDown() override { test::RemoveTree(parent_); }

    std::wstring parent_;
};

}  // namespace

// Names that exist in any form are passed over; what was there is untouched.
TEST_F(FreshExtractFolderTest, TakenNamesAreSkippedAndLeftAlone) {
    ASSERT_TRUE(::CreateDirectoryW((parent_ + L"kvraaaaaaaa").c_str(), nullptr));
    test::WriteAll(parent_ + L"kvraaaaaaaa\\planted.dll", "planted");
    test::WriteAll(parent_ + L"kvrbbbbbbbb", "a file");
    // A dangling link where the system lets us make one.
    // (Wine 8.0 reports success and makes nothing: a folder stands in then.)
    ::CreateSymbolicLinkW((parent_ + L"kvrcccccccc").c_str(), (parent_ + L"nowhere").c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY);
    WIN32_FIND_DATAW found{};
    const riviru::win::unique_find link(::FindFirstFileW((parent_ + L"kvrcccccccc").c_str(), &found));
    if (!link) {
        ASSERT_TRUE(::CreateDirectoryW((parent_ + L"kvrcccccccc").c_str(), nullptr));
    }

    ScriptedRandom random;
    std::wstring folder;
    ASSERT_EQ(CreateFreshExtractFolder(parent_, folder, random.Source()), S_OK);
    EXPECT_EQ(folder, parent_ + L"kvrdddddddd\\");
    EXPECT_EQ(*random.calls, 4);
    test::Tree created;
    test::ReadTree(folder, L"", created);
    EXPECT_TRUE(created.files.empty() && created.folders.empty());
    EXPECT_EQ(test::ReadAll(parent_ + L"kvraaaaaaaa\\planted.dll"), "planted");
    EXPECT_EQ(test::ReadAll(parent_ + L"kvrbbbbbbbb"), "a file");
    EXPECT_FALSE(Exists(parent_ + L"nowhere"));
}

TEST_F(FreshExtractFolderTest, GivesUpAfterTheLastTry) {
    ASSERT_TRUE(::CreateDirectoryW((parent_ + L"kvraaaaaaaa").c_str(), nullptr));
    ScriptedRandom random;
    random.fixed = 0;
    std::wstring folder = L"unchanged";
    EXPECT_EQ(CreateFreshExtractFolder(parent_, folder, random.Source()),
              HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(*random.calls, kFreshFolderTries);
    EXPECT_EQ(folder, L"unchanged");
}

TEST_F(FreshExtractFolderTest, OtherFailuresEndAtOnce) {
    ScriptedRandom random;
    std::wstring folder;
    EXPECT_EQ(CreateFreshExtractFolder(parent_ + L"missing\\", folder, random.Source()),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(*random.calls, 1);

    const sfx::RandomBytes broken = [](std::uint8_t*, std::size_t) { return false; };
    EXPECT_EQ(CreateFreshExtractFolder(parent_, folder, broken), NTE_FAIL);
    test::Tree left;
    test::ReadTree(parent_, L"", left);
    EXPECT_TRUE(left.files.empty() && left.folders.empty());
}

TEST_F(FreshExtractFolderTest, SystemRandomNamesDiffer) {
    std::wstring first, second;
    ASSERT_EQ(CreateFreshExtractFolder(parent_, first), S_OK);
    ASSERT_EQ(CreateFreshExtractFolder(parent_, second), S_OK);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), parent_.size() + 12);
}

// An elevated run's folder admits administrators and SYSTEM only, whatever
// the parent grants.
TEST_F(FreshExtractFolderTest, ElevatedFolderHasAProtectedAcl) {
    if (!IsProcessElevated()) GTEST_SKIP() << "the test process is not elevated";
    // Wine 8.0 answers with an ACL of its own making: it neither keeps nor
    // enforces the one given at creation.
    if (RunsOnWine()) GTEST_SKIP() << "Wine does not keep security descriptors";
    std::wstring folder;
    ASSERT_EQ(CreateFreshExtractFolder(parent_, folder), S_OK);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, &dacl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    const riviru::win::unique_local owner(descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_NE(control & SE_DACL_PROTECTED, 0);
    ASSERT_NE(dacl, nullptr);
    ASSERT_EQ(dacl->AceCount, 2);
    const WELL_KNOWN_SID_TYPE expected[] = {WinBuiltinAdministratorsSid, WinLocalSystemSid};
    for (DWORD i = 0; i < 2; ++i) {
        void* entry = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, &entry));
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(allowed->Mask & FILE_ALL_ACCESS, static_cast<DWORD>(FILE_ALL_ACCESS));
        auto* sid = const_cast<DWORD*>(&allowed->SidStart);
        EXPECT_TRUE(::IsWellKnownSid(sid, expected[i])) << i;
    }
}
