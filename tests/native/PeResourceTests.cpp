#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "PackError.h"
#include "PeResources.h"
#include "SfxPackTestSupport.h"

namespace {

using sfxtest::Bytes;
using sfxtest::PutU16;
using sfxtest::PutU32;
using sfxtest::TestResource;

sfxpack::PeResources Read(const Bytes& bytes) {
    return sfxpack::PeResources::Read(bytes.data(), bytes.size(), "stub.exe");
}

}  // namespace

TEST(PeResources, FindsNamedRcDataAtTheirFileOffsets) {
    const std::vector<TestResource> resources = {
        {L"KVRID", 0, Bytes{1, 2, 3}, 10, 3},  // three languages: the first counts
        {L"", 7, Bytes(4, 9)},                 // by number: left out
        {L"kvrid", 0, Bytes(5, 7)},            // another name than KVRID
        {L"Gr\u00FC\u00DF", 0, Bytes(2, 6)},
        {L"KVRICON", 0, Bytes(3, 3), 3},  // not RCDATA
        {L"_KVR_VERIFY", 0, Bytes(8, 0)},
    };
    const auto stub = sfxtest::MakeTestStub(resources);
    const auto found = Read(stub.bytes);
    ASSERT_EQ(found.NamedRcData().size(), 4u);
    const struct {
        std::wstring name;
        std::size_t index;
        std::uint32_t size;
    } expected[] = {{L"KVRID", 0, 3}, {L"kvrid", 2, 5}, {L"Gr\u00FC\u00DF", 3, 2}, {L"_KVR_VERIFY", 5, 8}};
    for (const auto& e : expected) {
        const auto* resource = found.Find(e.name);
        ASSERT_NE(resource, nullptr);
        EXPECT_EQ(resource->offset, stub.dataAt[e.index]);
        EXPECT_EQ(resource->size, e.size);
        EXPECT_EQ(Bytes(stub.bytes.begin() + static_cast<std::ptrdiff_t>(resource->offset),
                        stub.bytes.begin() + static_cast<std::ptrdiff_t>(resource->offset + resource->size)),
                  resources[e.index].data);
    }
    // The file offset, not the RVA: the section lies elsewhere in memory.
    EXPECT_NE(found.Find(L"KVRID")->offset, stub.rsrcRva + (stub.dataAt[0] - stub.rsrcOffset));
    EXPECT_EQ(found.Find(L"KVRICON"), nullptr);
    EXPECT_EQ(found.Find(L"KVRI"), nullptr);
    EXPECT_EQ(found.Find(L"KVRID "), nullptr);
}

TEST(PeResources, AFileWithoutResourcesHasNone) {
    auto stub = sfxtest::MakeTestStub({{L"KVRICON", 0, Bytes(3, 3), 3}});
    EXPECT_TRUE(Read(stub.bytes).NamedRcData().empty());  // no RCDATA type
    PutU32(stub.bytes, stub.resourceDirectoryField, 0);
    EXPECT_TRUE(Read(stub.bytes).NamedRcData().empty());             // no resource directory
    PutU32(stub.bytes, stub.resourceDirectoryField - 8 * 2 - 4, 2);  // only two data directories
    PutU32(stub.bytes, stub.resourceDirectoryField, stub.rsrcRva);
    EXPECT_TRUE(Read(stub.bytes).NamedRcData().empty());
}

TEST(PeResources, DamagedDirectoriesAreReportedNotReadPast) {
    const std::vector<TestResource> resources = {{L"KVRID", 0, Bytes(16, 0)},
                                                 {L"_KVR_VERIFY", 0, Bytes(8, 0)}};
    const auto base = sfxtest::MakeTestStub(resources, 0);
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        const char* message;
    };
    const Case cases[] = {
        {"directory RVA in no section", [&](Bytes& b) { PutU32(b, base.resourceDirectoryField, 0x9000); },
         "RVA 0x9000"},
        {"RCDATA directory with too many entries",
         [&](Bytes& b) { PutU16(b, base.rcDataDirectory + 14, 0xFFFF); }, "RCDATA directory"},
        {"RCDATA entry that is no directory",
         [&](Bytes& b) {
             PutU32(b, base.rsrcOffset + 16 + 4,
                    static_cast<std::uint32_t>(base.rcDataDirectory - base.rsrcOffset));
         },
         "no directory"},
        {"name offset outside the section",
         [&](Bytes& b) { PutU32(b, base.rcDataDirectory + 16, 0x80000000u | 0x7FFFFFF0u); }, "resource name"},
        {"name longer than the section", [&](Bytes& b) { PutU16(b, base.nameAt[0], 0xFFFF); },
         "resource name"},
        {"language directory outside the section",
         [&](Bytes& b) { PutU32(b, base.rcDataDirectory + 16 + 4, 0x80000000u | 0x00FFFFFFu); },
         "language directory"},
        {"empty language directory", [&](Bytes& b) { PutU16(b, base.languagesAt[0] + 14, 0); },
         "no language entry"},
        {"language entry that is a directory",
         [&](Bytes& b) { PutU32(b, base.languagesAt[0] + 16 + 4, 0x80000000u); }, "no data entry"},
        {"data entry outside the section",
         [&](Bytes& b) { PutU32(b, base.languagesAt[0] + 16 + 4, 0x7FFFFFF0u); }, "data entry"},
        {"data in no section", [&](Bytes& b) { PutU32(b, base.dataEntryAt[0], 0x100); }, "lie outside"},
        {"data running past the section", [&](Bytes& b) { PutU32(b, base.dataEntryAt[0] + 4, 0x10000); },
         "lie outside"},
        {"data size that wraps around", [&](Bytes& b) { PutU32(b, base.dataEntryAt[0] + 4, 0xFFFFFFFFu); },
         "lie outside"},
        {"section claiming more bytes than the file has",
         [&](Bytes& b) {
             PutU32(b, base.dataEntryAt[1] + 4, 0x1000);
             PutU32(b, base.rsrcSectionHeader + 16, 0x2000);
         },
         "lie outside"},
        {"section table outside the file", [&](Bytes& b) { PutU16(b, base.peOffset + 6, 0xFFFF); },
         "section table"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = base.bytes;
        c.damage(bytes);
        try {
            Read(bytes);
            ADD_FAILURE() << "no error";
        } catch (const sfxpack::PackError& e) {
            EXPECT_NE(std::string(e.what()).find("stub.exe: "), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

// Every cut of the file and every damaged byte of the directory must end in
// either resources that lie within the data or a PackError; the sanitizers
// catch any read past the buffer.
TEST(PeResources, CutAndScrambledFilesNeverReadPastTheirBytes) {
    const auto base = sfxtest::MakeTestStub(sfxtest::StubPlaceholders(), 0);
    const auto check = [](const Bytes& bytes) {
        try {
            const auto resources = Read(bytes);
            for (const auto& r : resources.NamedRcData()) {
                EXPECT_LE(r.offset + r.size, bytes.size());
            }
        } catch (const sfxpack::PackError&) {
        }
    };
    for (std::size_t size = 0; size <= base.bytes.size(); size += 7) {
        // A copy of exactly size bytes, so that the sanitizer sees its end.
        check(Bytes(base.bytes.begin(), base.bytes.begin() + static_cast<std::ptrdiff_t>(size)));
    }
    std::uint32_t seed = 12345;
    for (std::size_t at = base.rsrcOffset; at < base.dataAt[0]; ++at) {
        for (const std::uint8_t value : {std::uint8_t{0xFF}, std::uint8_t{0x80}, std::uint8_t{0x00}}) {
            Bytes bytes = base.bytes;
            bytes[at] = value;
            seed = seed * 1103515245u + 12345u;
            bytes[base.rsrcOffset + (seed >> 8) % (base.dataAt[0] - base.rsrcOffset)] ^=
                static_cast<std::uint8_t>(seed >> 24);
            check(bytes);
        }
    }
}
