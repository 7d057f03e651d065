#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DataTrailer.h"
#include "FileBytes.h"
#include "PeResources.h"
#include "SfxPackTestSupport.h"
#include "sfx/ConfigBlock.h"

namespace {

namespace fs = std::filesystem;
using sfxtest::Bytes;
using sfxtest::GetU64;
using sfxtest::Placeholder;
using sfxtest::PutU32;
using sfxtest::ReadAll;
using sfxtest::TestResource;
using sfxtest::ToBytes;

class SfxPackStamp : public sfxtest::SfxPackTest {
public:
    // A stub whose resources hold bytes other than zero, so that zero-filling shows.
    void UseStub(const std::vector<TestResource>& resources, std::size_t tailSize = 0x100) {
        resources_ = resources;
        testStub_ = sfxtest::MakeTestStub(resources, tailSize);
        stub_ = Write("stub.exe", testStub_.bytes);
    }

    std::size_t At(const std::wstring& name) const { return testStub_.DataOffset(name, resources_); }

    // The package with n bytes more (n > 0) or fewer, as a file of its own.
    fs::path Resized(const Bytes& package, long n) {
        Bytes changed = package;
        if (n > 0)
            changed.insert(changed.end(), static_cast<std::size_t>(n), 0x55);
        else
            changed.resize(changed.size() - static_cast<std::size_t>(-n));
        return Write("resized" + std::to_string(n) + ".exe", changed);
    }

    std::vector<TestResource> resources_;
    sfxtest::TestStub testStub_;
};

// Placeholders that already hold something, and the other resources.
std::vector<TestResource> UsedPlaceholders() {
    auto resources = sfxtest::StubPlaceholders();
    for (auto& r : resources) std::fill(r.data.begin(), r.data.end(), std::uint8_t{0xAA});
    return resources;
}

// Signs the file the way Authenticode tools do: zero padding to a multiple of
// eight, a certificate table at the end, its place in data directory 4.
Bytes SignedStyle(Bytes package, std::size_t certificateField, std::size_t tableSize = 24) {
    package.resize((package.size() + 7) / 8 * 8, 0);
    const std::size_t offset = package.size();
    package.resize(offset + tableSize, 0x30);
    PutU32(package, offset, static_cast<std::uint32_t>(tableSize));  // WIN_CERTIFICATE dwLength
    PutU32(package, certificateField, static_cast<std::uint32_t>(offset));
    PutU32(package, certificateField + 4, static_cast<std::uint32_t>(tableSize));
    return package;
}

}  // namespace

TEST_F(SfxPackStamp, StampsTheValuesAndThePackageSizeAndChangesNothingElse) {
    UseStub(UsedPlaceholders());
    const std::string full(34, 'h');  // fills KV_ZORBIX_PHASH exactly
    const std::string wide =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE8\xA3\xBD \xF0\x9F\x98\x80";
    ASSERT_EQ(Build({"--stamp", "KVRID=abc", "--stamp=KVRID2=" + wide, "--stamp", "KV_ZORBIX_PHASH=" + full}),
              0)
        << err_;
    const Bytes package = ReadAll(output_);

    Bytes expected = testStub_.bytes;
    const auto put = [&](const std::wstring& name, const std::string& value, std::size_t size) {
        std::fill_n(expected.begin() + static_cast<std::ptrdiff_t>(At(name)), size, std::uint8_t{0});
        std::copy(value.begin(), value.end(), expected.begin() + static_cast<std::ptrdiff_t>(At(name)));
    };
    put(L"KVRID", "abc", 256);
    put(L"KVRID2", wide, 256);
    put(L"KV_ZORBIX_PHASH", full, 34);
    for (std::size_t i = 0; i < 8; ++i) {
        expected[At(L"_KVR_VERIFY") + i] = static_cast<std::uint8_t>(package.size() >> (8 * i));
    }
    ASSERT_GE(package.size(), expected.size());
    EXPECT_EQ(Bytes(package.begin(), package.begin() + static_cast<std::ptrdiff_t>(expected.size())),
              expected);
    EXPECT_EQ(GetU64(package, At(L"_KVR_VERIFY")), package.size());

    // A resource left out of the command line keeps what it held.
    ASSERT_EQ(Build({"--stamp", "KVRID=x"}), 0) << err_;
    const Bytes second = ReadAll(output_);
    EXPECT_EQ(second[At(L"KVRID2")], 0xAA);
    EXPECT_EQ(second[At(L"KVRID") + 1], 0);
}

TEST_F(SfxPackStamp, StampedSizeIsTheFinalSizeWithAndWithoutTrailer) {
    const struct {
        const char* name;
        std::size_t stubTail;
        std::vector<std::string> data;
        std::size_t padding;  // expected before the trailer
    } cases[] = {
        {"no trailer", 0x100, {}, 0},
        {"trailer in a small package, padded to 64 KiB", 0x100, {"--data", "a=1", "--data", "b=x&y"}, 1},
        {"trailer in a large package", 70000, {"--data", "a=1"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseStub({Placeholder(L"_KVR_VERIFY", 8)}, c.stubTail);  // no KVR resource: the trailer counts
        ASSERT_EQ(Build(c.data), 0) << err_;
        EXPECT_EQ(err_, "");
        const Bytes package = ReadAll(output_);
        EXPECT_EQ(GetU64(package, At(L"_KVR_VERIFY")), package.size());
        ASSERT_EQ(Run({"verify", output_.string()}), 0) << err_;

        const std::size_t window = std::min(package.size(), sfxpack::kDataTrailerWindow);
        const auto found = sfxpack::FindDataTrailer(package.data() + package.size() - window, window);
        if (c.data.empty()) {
            EXPECT_FALSE(found);
            continue;
        }
        ASSERT_TRUE(found);
        EXPECT_EQ(window - found->offset, found->size) << "the trailer must end the file";
        EXPECT_EQ(found->items.size(), c.data.size() / 2);
        if (c.padding) {
            EXPECT_EQ(package.size(), sfxpack::kDataTrailerWindow);
        } else {
            EXPECT_GT(package.size(), sfxpack::kDataTrailerWindow);
            EXPECT_EQ(package.size(), testStub_.bytes.size() + sfx::kStartMarkerSize + 48 +
                                          sfx::kEndMarkerSize + sfxtest::MakeArchive().size() + found->size);
        }
    }
}

TEST_F(SfxPackStamp, BadStampsAndTrailersAreRefusedAndLeaveNoOutput) {
    const struct {
        std::vector<std::string> args;
        const char* message;
        std::function<void(SfxPackStamp&)> arrange;
    } cases[] = {
        {{"--stamp", "KVRNOPE=x"}, "no RCDATA resource of that name", nullptr},
        {{"--stamp", "KVRid=x"}, "case-sensitive; it has KVRID", nullptr},
        {{"--stamp", "kvrid=x"}, "begin with \"KVR\" or \"KV_\"", nullptr},
        {{"--stamp", "OTHER=x"}, "begin with \"KVR\" or \"KV_\"", nullptr},
        {{"--stamp", "_KVR_VERIFY=1"}, "sfxpack stamps itself", nullptr},
        {{"--stamp", "KVRXML=x"}, "no RCDATA resource", nullptr},  // a resource of another type
        {{"--stamp", "KV_ZORBIX_PHASH=" + std::string(35, 'h')},
         "35 bytes of UTF-8; the resource holds 34",
         nullptr},
        {{"--stamp", "KV_ZORBIX_PHASH=" + std::string(17, 'h') + "\xC3\xBC" + std::string(16, 'h')},
         "35 bytes",
         nullptr},
        {{"--stamp", "KVRID=\xC3("}, "not valid UTF-8", nullptr},
        {{"--stamp", "KVRID=\xED\xA0\x80"}, "not valid UTF-8", nullptr},
        {{"--stamp", std::string("KVRID=a\0b", 9)}, "zero byte", nullptr},
        {{"--stamp", "KVRID=a\r\nb"}, "line break", nullptr},
        {{"--stamp", "KVRID=a", "--stamp", "KVRID=b"}, "stamped twice", nullptr},
        {{"--stamp", "KVRID"}, "expects NAME=VALUE", nullptr},
        {{"--stamp", "=x"}, "expects NAME=VALUE", nullptr},
        {{"--data", "=x"}, "expects KEY=VALUE", nullptr},
        {{"--data", "a=1", "--data", "a=2"}, "given twice", nullptr},
        {{"--data", "k=\xC3("}, "not valid UTF-8", nullptr},
        {{"--data", "k=one\ntwo"}, "line break", nullptr},
        {{"--data", "k=" + std::string(32760, 'v')}, "the stub reads only the last 65536 bytes", nullptr},
        {{"--data", "k=x##ENDDATA##y"}, "would not read the data trailer as written", nullptr},
        {{"--data", "k=1"},
         "would not read the data trailer as written",
         [](SfxPackStamp& t) {
             Bytes archive = sfxtest::MakeArchive();
             for (const char c : std::string("##DATA##")) archive.insert(archive.end(), {std::uint8_t(c), 0});
             t.archive_ = t.Write("payload.7z", archive);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TearDown();
        SetUp();
        UseStub(sfxtest::StubPlaceholders());
        if (c.arrange) c.arrange(*this);
        const std::size_t filesBefore = FileCount();
        EXPECT_NE(Build(c.args), 0);
        EXPECT_NE(err_.find(c.message), std::string::npos) << err_;
        EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
        EXPECT_FALSE(fs::exists(output_));
        EXPECT_EQ(FileCount(), filesBefore) << "temporary file left behind";
    }
}

TEST_F(SfxPackStamp, InspectShowsStampsTrailerCertificateAndCheck) {
    UseStub(sfxtest::StubPlaceholders());
    ASSERT_EQ(Build({"--stamp", "KVRID=id \"1\"\\x", "--data", "k=v&w", "--data", "empty="}), 0) << err_;
    EXPECT_NE(
        err_.find("warning: the stub carries resources for the setup (KVRID, KVRID2, KV_ZORBIX_PHASH), so it "
                  "forwards those and ignores the data trailer"),
        std::string::npos)
        << err_;
    const Bytes package = ReadAll(output_);
    const std::size_t trailerSize = sfxpack::EncodeDataTrailer({{L"k", L"v&w"}, {L"empty", L""}}).size();
    ASSERT_EQ(Run({"inspect", output_.string()}), 0) << err_;
    const std::string size = std::to_string(package.size());
    for (const std::string& line : {
             "_KVR_VERIFY:   offset " + std::to_string(At(L"_KVR_VERIFY")) + ", size 8, value " + size + "\n",
             "stamped:       KVRID: offset " + std::to_string(At(L"KVRID")) +
                 ", size 256, value \"id \\\"1\\\"\\\\x\"\n",
             "               KVRID2: offset " + std::to_string(At(L"KVRID2")) + ", size 256, value \"\"\n",
             "               KV_ZORBIX_PHASH: offset " + std::to_string(At(L"KV_ZORBIX_PHASH")) +
                 ", size 34, value \"\"\n",
             "data trailer:  offset " + std::to_string(package.size() - trailerSize) + ", size " +
                 std::to_string(trailerSize) +
                 ", 2 items (ignored: the stub forwards its stamped resources instead)\n"
                 "               \"k\" = \"v&w\"\n"
                 "               \"empty\" = \"\" (empty, not forwarded)\n"
                 "certificate:   none\n"
                 "size check:    OK: " +
                 size +
                 " bytes, as _KVR_VERIFY says\n"
                 "configuration: ",
         }) {
        EXPECT_NE(out_.find(line), std::string::npos) << line << "\n---\n" << out_;
    }
    EXPECT_EQ(out_.find("KVRXML"), std::string::npos) << "a resource of another type is no stamp";

    // Signed: the certificate table is the rule; the stale _KVR_VERIFY is shown as it is.
    const fs::path signedPackage = Write("signed.exe", SignedStyle(package, testStub_.certificateField));
    ASSERT_EQ(Run({"inspect", signedPackage.string()}), 0) << err_;
    const std::uint64_t tableOffset = (package.size() + 7) / 8 * 8;
    EXPECT_NE(out_.find("certificate:   offset " + std::to_string(tableOffset) + ", size 24 (ends at " +
                        std::to_string(tableOffset + 24) + ")\nsize check:    OK: " +
                        std::to_string(tableOffset + 24) + " bytes, as the certificate table says\n"),
              std::string::npos)
        << out_;
    EXPECT_NE(out_.find("value " + size + "\n"), std::string::npos) << out_;
}

TEST_F(SfxPackStamp, VerifyMakesTheStubsSizeCheck) {
    UseStub(sfxtest::StubPlaceholders());
    ASSERT_EQ(Build(), 0) << err_;
    const Bytes package = ReadAll(output_);
    const std::string size = std::to_string(package.size());
    const std::size_t certificate = testStub_.certificateField;
    auto withoutVerify = sfxtest::MakeTestStub({Placeholder(L"KVRID", 256)});
    Bytes notPe = package;
    notPe[0] = 'Z';
    Bytes badSignature = package;
    badSignature[testStub_.peOffset + 2] = 'X';
    Bytes farHeader = package;
    PutU32(farHeader, 0x3C, 0x100000 - 100);  // beyond the headers the stub reads
    Bytes shortHeader(0x100, 0);  // "PE\0\0" in the last bytes: no room for the certificate directory
    shortHeader[0] = 'M';
    shortHeader[1] = 'Z';
    PutU32(shortHeader, 0x3C, 0xF0);
    shortHeader[0xF0] = 'P';
    shortHeader[0xF1] = 'E';
    Bytes wrapped = package;  // the stub adds offset and size in 32 bits
    PutU32(wrapped, certificate, 0xFFFFFFF0u);
    PutU32(wrapped, certificate + 4, 0x20);

    const struct {
        const char* name;
        fs::path file;
        int code;
        std::string message;
    } cases[] = {
        {"as built", output_, 0, "OK, " + size + " bytes, as _KVR_VERIFY says"},
        {"cut by a byte", Resized(package, -1), 1,
         "expected file size " + size + ", actual file size " + std::to_string(package.size() - 1) +
             " (expected size from _KVR_VERIFY)"},
        {"one byte longer", Resized(package, 1), 1, "actual file size " + std::to_string(package.size() + 1)},
        {"never stamped", Write("raw.exe", testStub_.bytes), 1, "expected file size 0, "},
        {"no _KVR_VERIFY", Write("noverify.exe", withoutVerify.bytes), 1,
         "Resource _KVR_VERIFY is not found. (no RCDATA resource _KVR_VERIFY)"},
        {"no MZ", Write("notpe.exe", notPe), 1, "File does not have EXE format."},
        {"empty", Write("empty.exe", {}), 1, "File does not have EXE format."},
        {"no PE signature", Write("badsig.exe", badSignature), 1, "Invalid PE signature."},
        {"header offset far out", Write("far.exe", farHeader), 1, "Invalid PE signature."},
        {"header at the very end", Write("short.exe", shortHeader), 1, "Invalid PE signature."},
        {"signed", Write("signed.exe", SignedStyle(package, certificate)), 0,
         "as the certificate table says"},
        {"signed, a byte appended",
         Write("signed1.exe",
               [&] {
                   Bytes b = SignedStyle(package, certificate);
                   b.push_back(0);
                   return b;
               }()),
         1, "(expected size from the certificate table)"},
        {"signed, without _KVR_VERIFY",
         Write("signednoverify.exe", SignedStyle(withoutVerify.bytes, withoutVerify.certificateField, 1000)),
         0, "as the certificate table says"},
        {"certificate end wraps at 32 bits", Write("wrapped.exe", wrapped), 1, "expected file size 16, "},
        {"missing", dir_ / "nowhere.exe", 1, "nowhere.exe: file not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run({"verify", c.file.string()}), c.code);
        const std::string& text = c.code == 0 ? out_ : err_;
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
        EXPECT_NE(text.find(c.file.string()), std::string::npos) << text;
    }
    EXPECT_EQ(Run({"verify"}), 2);
    EXPECT_EQ(Run({"verify", "a", "b"}), 2);
}

// The stub built from this tree; the test needs its path in SFX_STUB_EXE.
TEST_F(SfxPackStamp, RealStubTakesTheStamps) {
    const char* path = std::getenv("SFX_STUB_EXE");
    if (path == nullptr || *path == 0) {
        GTEST_SKIP() << "SFX_STUB_EXE does not name the built sfxstub.exe, so the real stub is not tried";
    }
    stub_ = fs::u8path(path);
    const Bytes stub = sfxpack::ReadFileBytes(stub_);
    const auto resources = sfxpack::PeResources::Read(stub.data(), stub.size(), stub_);
    const struct {
        std::wstring name;
        std::uint32_t size;
        std::string value;
    } expected[] = {{L"_KVR_VERIFY", 8, ""},
                    {L"KVRID", 256, "id-\xC3\xBC"},
                    {L"KVRID2", 256, ""},
                    {L"KV_ZORBIX_PHASH", 34, std::string(34, 'p')}};
    for (const auto& e : expected) {
        const auto* resource = resources.Find(e.name);
        ASSERT_NE(resource, nullptr) << std::string(e.name.begin(), e.name.end());
        EXPECT_EQ(resource->size, e.size);
        EXPECT_EQ(Bytes(stub.begin() + static_cast<std::ptrdiff_t>(resource->offset),
                        stub.begin() + static_cast<std::ptrdiff_t>(resource->offset + resource->size)),
                  Bytes(e.size, 0))
            << "a fresh stub's placeholders are zero";
    }

    ASSERT_EQ(Build({"--stamp", "KVRID=id-\xC3\xBC", "--stamp", "KV_ZORBIX_PHASH=" + std::string(34, 'p')}),
              0)
        << err_;
    const Bytes package = ReadAll(output_);
    Bytes stamped = stub;
    for (const auto& e : expected) {
        const auto offset = static_cast<std::ptrdiff_t>(resources.Find(e.name)->offset);
        std::copy(e.value.begin(), e.value.end(), stamped.begin() + offset);
    }
    for (std::size_t i = 0; i < 8; ++i) {
        stamped[resources.Find(L"_KVR_VERIFY")->offset + i] =
            static_cast<std::uint8_t>(package.size() >> (8 * i));
    }
    EXPECT_TRUE(std::equal(stamped.begin(), stamped.end(), package.begin()));
    EXPECT_EQ(Run({"verify", output_.string()}), 0) << err_;
    ASSERT_EQ(Run({"inspect", output_.string()}), 0) << err_;
    EXPECT_NE(out_.find("KVRID: offset " + std::to_string(resources.Find(L"KVRID")->offset) +
                        ", size 256, value \"id-\xC3\xBC\"\n"),
              std::string::npos)
        << out_;
}
