// The values forwarded to the setup, read from copies of the real stub that
// sfxpack's stamper filled, with data trailers appended.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "DataTrailer.h"
#include "SetupValues.h"
#include "StubStamper.h"
#include "TestFileSystem.h"

namespace {

using Stamps = std::vector<std::pair<std::string, std::string>>;
using Items = std::vector<sfxpack::DataTrailerItem>;

std::wstring TestFolder() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// sfxstub.exe is built into the same folder as this test.
std::wstring StubPath() {
    return TestFolder() + L"sfxstub.exe";
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

test::Bytes ToBytes(const std::vector<std::uint8_t>& data) {
    return test::Bytes(data.begin(), data.end());
}

class SetupValues : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"sfx-setupvalues-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        test::RemoveTree(dir_);
        ASSERT_TRUE(::CreateDirectoryW(dir_.c_str(), nullptr));
        stub_ = test::ReadAll(StubPath());
        ASSERT_GT(stub_.size(), sfx::kDataTrailerWindow) << Narrow(StubPath());
    }
    void TearDown() override { test::RemoveTree(dir_); }

    // A copy of the stub named name, stamped with stamps and followed by a
    // data trailer when items is not empty.
    std::wstring Package(const std::wstring& name, const Stamps& stamps, const Items& items = {}) {
        std::vector<std::uint8_t> bytes(stub_.begin(), stub_.end());
        sfxpack::StubStamper stamper(bytes, "sfxstub.exe");
        for (const auto& [resource, value] : stamps) stamper.StampValue(resource, value);
        return Write(name, ToBytes(bytes), items);
    }

    std::wstring Write(const std::wstring& name, test::Bytes bytes, const Items& items = {}) {
        if (!items.empty()) bytes += ToBytes(sfxpack::EncodeDataTrailer(items));
        const std::wstring path = dir_ + name;
        test::WriteAll(path, bytes);
        return path;
    }

    // The stub with the first letter of each stamped resource's name in lower
    // case: the same executable, but without a resource the stub forwards.
    test::Bytes StubWithoutStampedNames() const {
        test::Bytes bytes = stub_;
        for (const std::wstring name : {L"KVRID", L"KVRID2", L"KV_ZORBIX_PHASH"}) {
            test::Bytes entry(1, static_cast<char>(name.size()));
            entry += '\0';
            for (const wchar_t c : name) entry += {static_cast<char>(c), '\0'};
            const std::size_t at = bytes.find(entry);
            EXPECT_NE(at, test::Bytes::npos) << Narrow(name);
            if (at != test::Bytes::npos) bytes[at + 2] = 'k';
        }
        return bytes;
    }

    bool Exists(const std::wstring& path) const {
        return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::wstring dir_;
    test::Bytes stub_;
};

}  // namespace

TEST_F(SetupValues, StampedResourcesAreReadAndEmptyOnesDropped) {
    const struct {
        const char* name;
        Stamps stamps;
        sfx::SetupValueMap expected;
    } cases[] = {
        {"all zero", {}, {}},
        {"one value", {{"KVRID", "customer-42"}}, {{L"KVRID", L"customer-42"}}},
        {"all three, UTF-8, one filling its resource",
         {{"KVRID", "a"}, {"KVRID2", "\xC3\xA9\xE2\x98\xBA"}, {"KV_ZORBIX_PHASH", std::string(34, 'h')}},
         {{L"KVRID", L"a"}, {L"KVRID2", L"\x00E9\x263A"}, {L"KV_ZORBIX_PHASH", std::wstring(34, L'h')}}},
    };
    for (const auto& c : cases) {
        // A trailer is ignored while the stub carries stamped resources, even
        // when all of them are empty.
        const std::wstring path =
            Package(L"setup.exe", c.stamps, {{L"KVRID", L"from trailer"}, {L"x", L"y"}});
        sfx::SetupValueMap values = {{L"stale", L"entry"}};
        EXPECT_EQ(ReadSetupValues(path, values), 0) << c.name;
        EXPECT_EQ(values, c.expected) << c.name;

        sfx::SetupValueMap raw;
        EXPECT_EQ(ReadStampedResources(path, raw), 0) << c.name;
        EXPECT_EQ(raw.size(), 3u) << c.name;  // empty values are kept by the resource reader
    }
}

TEST_F(SetupValues, TrailerIsReadOnlyWithoutStampedResources) {
    const Items items = {{L"a", L"1"}, {L"b", L"x&y"}, {L"", L""}, {L"z", L""}, {L"\x263A", L"%"}};
    const sfx::SetupValueMap expected = {{L"a", L"1"}, {L"b", L"x&y"}, {L"\x263A", L"%"}};
    // The stub without its placeholders, and this test program, whose RCDATA
    // resources have other names.
    const struct {
        const wchar_t* name;
        test::Bytes bytes;
    } executables[] = {{L"renamed.exe", StubWithoutStampedNames()},
                       {L"tests.exe", test::ReadAll(TestFolder() + L"sfx_win_tests.exe")}};
    for (const auto& e : executables) {
        const std::wstring bare = Write(std::wstring(L"bare-") + e.name, e.bytes);
        sfx::SetupValueMap values;
        EXPECT_EQ(ReadStampedResources(bare, values), static_cast<riviru::HResult>(0x80070103u))
            << Narrow(e.name);
        EXPECT_EQ(ReadSetupValues(bare, values), static_cast<riviru::HResult>(0x80070103u)) << Narrow(e.name);

        const std::wstring path = Write(e.name, e.bytes, items);
        EXPECT_EQ(ReadSetupValues(path, values), 0) << Narrow(e.name);
        EXPECT_EQ(values, expected) << Narrow(e.name);
    }
}

TEST_F(SetupValues, DataTrailerFailures) {
    const test::Bytes filler(sfx::kDataTrailerWindow, 'x');
    // The markers are put together at run time, so that this program's own
    // bytes (read as a package by another test) never hold them.
    const auto trailer = [](const std::wstring& data, bool withEnd) {
        const std::wstring text =
            std::wstring(L"#") + L"#DATA##" + data + (withEnd ? std::wstring(L"#") + L"#ENDDATA##" : L"");
        test::Bytes bytes;
        for (const wchar_t c : text) bytes += {static_cast<char>(c), '\0'};
        return bytes;
    };
    const struct {
        const char* name;
        test::Bytes bytes;
        riviru::HResult hr;
        sfx::SetupValueMap values;
    } cases[] = {
        {"shorter than the window",
         "MZ short",
         static_cast<riviru::HResult>(0x80070083u),
         {}},  // negative seek
        {"no trailer", filler, static_cast<riviru::HResult>(0x80070103u), {}},
        {"before the window", trailer(L"a=1", true) + filler, static_cast<riviru::HResult>(0x80070103u), {}},
        {"no end marker", filler + trailer(L"a=1", false), riviru::kInvalidData, {}},
        {"cut escape", filler + trailer(L"a=1&b=%4", true), riviru::kInvalidData, {{L"a", L"1"}}},
        {"at the very end", filler + trailer(L"a=1", true), 0, {{L"a", L"1"}}},
    };
    for (const auto& c : cases) {
        sfx::SetupValueMap values;
        EXPECT_EQ(ReadDataTrailer(Write(L"trailer.bin", c.bytes), values), c.hr) << c.name;
        EXPECT_EQ(values, c.values) << c.name;
    }
}

TEST_F(SetupValues, FilesThatAreNoExecutable) {
    sfx::SetupValueMap values;
    EXPECT_EQ(ReadSetupValues(dir_ + L"missing.exe", values), static_cast<riviru::HResult>(0x80070002u));
    const std::wstring text = Write(L"text.exe", test::Bytes(sfx::kDataTrailerWindow, 'x'));
    EXPECT_EQ(ReadStampedResources(text, values), static_cast<riviru::HResult>(0x80070714u));
    EXPECT_EQ(ReadSetupValues(text, values), static_cast<riviru::HResult>(0x80070714u));
}

TEST_F(SetupValues, ValuesFileHoldsTheValuesAndTheFileNameToken) {
    const struct {
        const char* name;
        std::wstring exe;
        Stamps stamps;
        const char* file;  // nullptr: no file written
    } cases[] = {
        {"all zero, no token", L"setup.exe", {}, nullptr},
        {"all zero, 17 characters after --ph", L"setup--phAbCdEf01234567890.exe", {}, nullptr},
        {"all zero, token", L"setup--phAbCdEf0123456789.exe", {}, "KVRID2=AbCdEf0123456789\r\n"},
        {"token with a copy suffix", L"setup--phAbCdEf0123456789(1).exe", {}, "KVRID2=AbCdEf0123456789\r\n"},
        {"stamped values",
         L"setup.exe",
         {{"KVRID2", "stamped"}, {"KVRID", "\xC3\xA9"}},
         "KVRID=\xC3\xA9\r\nKVRID2=stamped\r\n"},
        {"token wins over stamped KVRID2",
         L"a--ph1111111111111111-b--ph2222222222222222.exe",
         {{"KVRID2", "stamped"}, {"KV_ZORBIX_PHASH", "hash"}},
         "KVRID2=2222222222222222\r\nKV_ZORBIX_PHASH=hash\r\n"},
    };
    for (const auto& c : cases) {
        const std::wstring exe = Package(c.exe, c.stamps);
        const std::wstring valuesFile = dir_ + L"SetupValues.dat";
        ::DeleteFileW(valuesFile.c_str());
        WriteSetupValuesFor(exe, valuesFile);
        if (c.file == nullptr) {
            EXPECT_FALSE(Exists(valuesFile)) << c.name;
        } else {
            EXPECT_EQ(test::ReadAll(valuesFile), c.file) << c.name;
        }
        ::DeleteFileW(exe.c_str());
    }
}

TEST_F(SetupValues, ValuesFileReplacesAnOldOne) {
    const std::wstring exe = Package(L"setup.exe", {{"KVRID", "new"}});
    const std::wstring valuesFile = dir_ + L"SetupValues.dat";
    test::WriteAll(valuesFile, "OLD=a much longer line than the new content\r\n");
    WriteSetupValuesFor(exe, valuesFile);
    EXPECT_EQ(test::ReadAll(valuesFile), "KVRID=new\r\n");
    // A values file that cannot be created is given up silently.
    WriteSetupValuesFor(exe, dir_ + L"no-such-folder\\SetupValues.dat");
}

TEST_F(SetupValues, RunningExecutableWithoutForwardableValuesWritesNoFile) {
    // This test program has no stamped resource and no trailer.
    const std::wstring valuesFile = dir_ + L"SetupValues.dat";
    WriteSetupValues(valuesFile);
    EXPECT_FALSE(Exists(valuesFile));
}
