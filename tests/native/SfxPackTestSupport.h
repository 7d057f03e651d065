// What the sfxpack tests share: a small PE32 file made byte by byte (headers,
// a code section and a resource section whose RVA differs from its file
// offset, with the resources a test asks for, recording where its parts lie
// so that tests can check stamped bytes and damage the directory on purpose),
// and a fixture with a scratch folder of inputs that runs the command line.
// Holds: TestResource, TestStub, MakeTestStub, SfxPackTest and byte helpers.
#pragma once
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "SfxPackCli.h"

namespace sfxtest {

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::uint32_t GetU32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

inline std::uint64_t GetU64(const Bytes& b, std::size_t at) {
    return GetU32(b, at) | (std::uint64_t{GetU32(b, at + 4)} << 32);
}

struct TestResource {
    std::wstring name;  // empty: named by id
    std::uint16_t id = 0;
    Bytes data;
    std::uint32_t type = 10;  // RCDATA
    int languages = 1;        // the data of language k is data with k added to each byte
};

// A zero-filled placeholder, as the stub's resource script declares them.
inline TestResource Placeholder(const std::wstring& name, std::size_t size) {
    return {name, 0, Bytes(size, 0)};
}

// What the real stub carries, in its order, plus resources that stamping
// must leave alone: a numbered RCDATA and a string-typed one.
inline std::vector<TestResource> StubPlaceholders() {
    return {Placeholder(L"KVRID", 256),
            Placeholder(L"KVRID2", 256),
            Placeholder(L"KV_ZORBIX_PHASH", 34),
            Placeholder(L"_KVR_VERIFY", 8),
            {L"", 101, Bytes(8, 0x5A)},
            {L"KVRXML", 0, Bytes(16, 0x11), 0} /* type 0 stands for a type named KV_XML_STRING */};
}

struct TestStub {
    Bytes bytes;
    std::size_t peOffset = 0x80;
    std::size_t resourceDirectoryField = 0;  // file offset of data directory 2
    std::size_t certificateField = 0;        // of data directory 4
    std::size_t rsrcSectionHeader = 0;
    std::size_t rsrcOffset = 0;  // file offset of the resource section
    std::uint32_t rsrcRva = 0;
    std::size_t rcDataDirectory = 0;  // file offset of the RCDATA name directory
    // Per resource, in the order given: file offsets of data (first language),
    // data entry, name string (0 for an id) and language directory.
    std::vector<std::size_t> dataAt, dataEntryAt, nameAt, languagesAt;

    std::size_t DataOffset(const std::wstring& name, const std::vector<TestResource>& resources) const {
        for (std::size_t i = 0; i < resources.size(); ++i) {
            if (resources[i].name == name && resources[i].type == 10) return dataAt[i];
        }
        return 0;
    }
};

inline TestStub MakeTestStub(const std::vector<TestResource>& resources = StubPlaceholders(),
                             std::size_t tailSize = 0x100) {
    TestStub stub;
    constexpr std::size_t kPe = 0x80, kOptional = kPe + 24, kOptionalSize = 0xE0;
    constexpr std::size_t kSections = kOptional + kOptionalSize, kTextOffset = 0x200, kTextSize = 0x200;
    constexpr std::uint32_t kTextRva = 0x1000, kRsrcRva = 0x3000;
    const std::size_t rsrcOffset = kTextOffset + kTextSize;

    // Types in order: the named type first, as resource compilers put them.
    std::map<std::uint32_t, std::vector<std::size_t>> byType;
    for (std::size_t i = 0; i < resources.size(); ++i) byType[resources[i].type].push_back(i);
    Bytes rsrc;
    const auto reserve = [&rsrc](std::size_t n) {
        const std::size_t at = rsrc.size();
        rsrc.resize(at + n, 0);
        return at;
    };
    const auto directory = [&](std::size_t named, std::size_t ids) {
        const std::size_t at = reserve(16 + 8 * (named + ids));
        PutU16(rsrc, at + 12, static_cast<std::uint32_t>(named));
        PutU16(rsrc, at + 14, static_cast<std::uint32_t>(ids));
        return at;
    };
    const std::size_t root = directory(byType.count(0), byType.size() - byType.count(0));
    std::map<std::uint32_t, std::size_t> typeDirectory;
    std::vector<std::size_t> nameEntry(resources.size()), languageDir(resources.size()),
        dataEntry(resources.size());
    for (auto& [type, members] : byType) {
        std::size_t named = 0;
        for (std::size_t i : members) named += resources[i].name.empty() ? 0 : 1;
        typeDirectory[type] = directory(named, members.size() - named);
    }
    std::size_t entry = 0;
    for (auto& [type, members] : byType) {
        const std::size_t at = root + 16 + 8 * entry++;
        PutU32(rsrc, at, type);  // a named type's name is patched in below
        PutU32(rsrc, at + 4, 0x80000000u | static_cast<std::uint32_t>(typeDirectory[type]));
        std::size_t k = 0;
        // Named entries before numbered ones, as the format asks.
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t i : members) {
                if (resources[i].name.empty() != (pass == 1)) continue;
                nameEntry[i] = typeDirectory[type] + 16 + 8 * k++;
                languageDir[i] = directory(0, static_cast<std::size_t>(resources[i].languages));
                PutU32(rsrc, nameEntry[i] + 4, 0x80000000u | static_cast<std::uint32_t>(languageDir[i]));
                if (resources[i].name.empty()) PutU32(rsrc, nameEntry[i], resources[i].id);
            }
        }
    }
    for (std::size_t i = 0; i < resources.size(); ++i) {
        for (int l = 0; l < resources[i].languages; ++l) {
            const std::size_t at = reserve(16);
            PutU32(rsrc, languageDir[i] + 16 + 8 * static_cast<std::size_t>(l),
                   0x409u + static_cast<std::uint32_t>(l));
            PutU32(rsrc, languageDir[i] + 16 + 8 * static_cast<std::size_t>(l) + 4,
                   static_cast<std::uint32_t>(at));
            if (l == 0) dataEntry[i] = at;
        }
    }
    const auto string = [&](const std::wstring& text) {
        const std::size_t at = reserve(2 + 2 * text.size());
        PutU16(rsrc, at, static_cast<std::uint32_t>(text.size()));
        for (std::size_t c = 0; c < text.size(); ++c)
            PutU16(rsrc, at + 2 + 2 * c, static_cast<std::uint32_t>(text[c]));
        return at;
    };
    if (byType.count(0))
        PutU32(rsrc, root + 16, 0x80000000u | static_cast<std::uint32_t>(string(L"KV_XML_STRING")));
    std::vector<std::size_t> nameString(resources.size(), 0);
    for (std::size_t i = 0; i < resources.size(); ++i) {
        if (resources[i].name.empty()) continue;
        nameString[i] = string(resources[i].name);
        PutU32(rsrc, nameEntry[i], 0x80000000u | static_cast<std::uint32_t>(nameString[i]));
    }
    std::vector<std::size_t> data(resources.size());
    for (std::size_t i = 0; i < resources.size(); ++i) {
        for (int l = 0; l < resources[i].languages; ++l) {
            reserve((8 - rsrc.size() % 8) % 8);
            const std::size_t at = reserve(resources[i].data.size());
            for (std::size_t b = 0; b < resources[i].data.size(); ++b) {
                rsrc[at + b] = static_cast<std::uint8_t>(resources[i].data[b] + l);
            }
            if (l == 0) data[i] = at;
            const std::size_t entryAt =
                l == 0 ? dataEntry[i]
                       : GetU32(rsrc, languageDir[i] + 16 + 8 * static_cast<std::size_t>(l) + 4);
            PutU32(rsrc, entryAt, kRsrcRva + static_cast<std::uint32_t>(at));
            PutU32(rsrc, entryAt + 4, static_cast<std::uint32_t>(resources[i].data.size()));
        }
    }
    reserve((0x200 - rsrc.size() % 0x200) % 0x200);

    Bytes& pe = stub.bytes;
    pe.assign(rsrcOffset, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    PutU32(pe, 0x3C, kPe);
    pe[kPe] = 'P';
    pe[kPe + 1] = 'E';
    PutU16(pe, kPe + 4, 0x14C);  // i386
    PutU16(pe, kPe + 6, 2);
    PutU16(pe, kPe + 20, kOptionalSize);
    PutU16(pe, kPe + 22, 0x0102);  // executable, 32-bit machine
    PutU16(pe, kOptional, 0x10B);
    PutU32(pe, kOptional + 92, 16);
    stub.resourceDirectoryField = kOptional + 96 + 8 * 2;
    stub.certificateField = kOptional + 96 + 8 * 4;
    PutU32(pe, stub.resourceDirectoryField, kRsrcRva);
    PutU32(pe, stub.resourceDirectoryField + 4, static_cast<std::uint32_t>(rsrc.size()));
    const auto section = [&pe](std::size_t at, const char* name, std::uint32_t rva, std::size_t size,
                               std::size_t offset) {
        for (std::size_t c = 0; name[c] != 0; ++c) pe[at + c] = static_cast<std::uint8_t>(name[c]);
        PutU32(pe, at + 8, static_cast<std::uint32_t>(size));
        PutU32(pe, at + 12, rva);
        PutU32(pe, at + 16, static_cast<std::uint32_t>(size));
        PutU32(pe, at + 20, static_cast<std::uint32_t>(offset));
    };
    section(kSections, ".text", kTextRva, kTextSize, kTextOffset);
    section(kSections + 40, ".rsrc", kRsrcRva, rsrc.size(), rsrcOffset);
    for (std::size_t i = kTextOffset; i < kTextOffset + kTextSize; ++i)
        pe[i] = static_cast<std::uint8_t>(i * 7 + 3);
    pe.insert(pe.end(), rsrc.begin(), rsrc.end());
    for (std::size_t i = 0; i < tailSize; ++i)
        pe.push_back(static_cast<std::uint8_t>(i * 13 + 1));  // debug data, say

    stub.rsrcSectionHeader = kSections + 40;
    stub.rsrcOffset = rsrcOffset;
    stub.rsrcRva = kRsrcRva;
    stub.rcDataDirectory = byType.count(10) ? rsrcOffset + typeDirectory[10] : 0;
    for (std::size_t i = 0; i < resources.size(); ++i) {
        stub.dataAt.push_back(rsrcOffset + data[i]);
        stub.dataEntryAt.push_back(rsrcOffset + dataEntry[i]);
        stub.nameAt.push_back(nameString[i] ? rsrcOffset + nameString[i] : 0);
        stub.languagesAt.push_back(rsrcOffset + languageDir[i]);
    }
    return stub;
}

inline Bytes ToBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Stands in for a 7z archive: the signature, then bytes that are not.
inline Bytes MakeArchive(std::size_t size = 308) {
    Bytes archive = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C, 0x00, 0x04};
    for (std::size_t i = archive.size(); i < size; ++i)
        archive.push_back(static_cast<std::uint8_t>(i * 13 + 5));
    return archive;
}

class SfxPackTest : public ::testing::Test {
public:  // table-driven cases arrange the fixture's files
    void SetUp() override {
        std::random_device random;
        dir_ =
            std::filesystem::temp_directory_path() /
            ("sfxpack-tests-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             "-" + std::to_string(random()));
        std::filesystem::create_directories(dir_);
        stub_ = Write("stub.exe", MakeTestStub().bytes);
        config_ = Write("config.txt", ToBytes("[main]\nSetupFileName=setup.exe\n"));
        archive_ = Write("payload.7z", MakeArchive());
        output_ = dir_ / "package.exe";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path Write(const std::string& name, const Bytes& bytes) {
        const std::filesystem::path path = dir_ / name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    int Run(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int code = sfxpack::RunCli(args, out, err);
        out_ = out.str();
        err_ = err.str();
        return code;
    }

    // build with the fixture's files and extra options
    int Build(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"build",          "--stub",    stub_.string(),    "--config",
                                         config_.string(), "--archive", archive_.string(), "-o",
                                         output_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }

    std::size_t FileCount() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()));
    }

    std::filesystem::path dir_, stub_, config_, archive_, output_;
    std::string out_, err_;
};

}  // namespace sfxtest
