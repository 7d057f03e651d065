#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "SfxPackCli.h"
#include "SfxPackTestSupport.h"
#include "riviru/text/Utf.h"
#include "sfx/ConfigBlock.h"

namespace {

namespace fs = std::filesystem;
using sfxtest::Bytes;
using sfxtest::MakeArchive;
using sfxtest::PutU16;
using sfxtest::PutU32;
using sfxtest::ReadAll;
using sfxtest::ToBytes;
using SfxPackTest = sfxtest::SfxPackTest;

// No more than the headers a PE32 file needs to pass as one: MZ header with
// e_lfanew, "PE\0\0", file header, optional header magic.
Bytes MakeHeaderStub(std::uint16_t magic = 0x10B, std::uint32_t peOffset = 0x80) {
    Bytes pe(0x200, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    PutU32(pe, 0x3C, peOffset);
    if (std::uint64_t{peOffset} + 26 <= pe.size()) {
        pe[peOffset] = 'P';
        pe[peOffset + 1] = 'E';
        PutU16(pe, peOffset + 4, 0x14C);    // i386
        PutU16(pe, peOffset + 20, 0xE0);    // size of the optional header
        PutU16(pe, peOffset + 22, 0x0102);  // executable, 32-bit machine
        PutU16(pe, peOffset + 24, magic);
    }
    return pe;
}

Bytes MakeStub() {
    return sfxtest::MakeTestStub().bytes;
}

}  // namespace

TEST_F(SfxPackTest, BuildThenInspectRecoversTheConfigurationExactly) {
    const std::string cases[] = {
        "[main]\nSetupFileName=setup.exe\n",
        std::string(16, 'a'),                                  // one whole block
        "[main]\r\nProductName=0123456789abcdefghijklmn\r\n",  // 48 bytes
        "\xEF\xBB\xBF[main]\nProductName=Gr\xC3\xBC\xC3\x9F"
        "e \xE8\xA3\xBD\xE5\x93\x81 \xF0\x9F\x98\x80\n",
        "",
    };
    const auto testStub = sfxtest::MakeTestStub();
    const Bytes archive = MakeArchive();
    for (const auto& text : cases) {
        SCOPED_TRACE(text);
        Write("config.txt", ToBytes(text));
        ASSERT_EQ(Build(), 0) << err_;
        EXPECT_EQ(FileCount(), 4u) << "temporary file left behind";

        // The stub's own search finds the block right after the stub, and the
        // archive right after the block.
        const Bytes package = ReadAll(output_);
        Bytes stub = testStub.bytes;  // with the package size stamped
        for (std::size_t i = 0; i < 8; ++i) {
            stub[testStub.DataOffset(L"_KVR_VERIFY", sfxtest::StubPlaceholders()) + i] =
                static_cast<std::uint8_t>(package.size() >> (8 * i));
        }
        const auto found = sfx::FindConfigBlock(package.data(), sfx::ConfigScanSize(package.size()));
        ASSERT_TRUE(found);
        EXPECT_EQ(found->StartMarkerOffset(), stub.size());
        EXPECT_EQ(Bytes(package.begin(), package.begin() + static_cast<std::ptrdiff_t>(stub.size())), stub);
        EXPECT_EQ(Bytes(package.begin() + static_cast<std::ptrdiff_t>(found->EndOffset()), package.end()),
                  archive);
        EXPECT_EQ(sfx::DecipherConfigBlock(package.data() + found->begin, found->size), ToBytes(text));
        std::wstring decoded;
        EXPECT_EQ(sfx::ReadConfigBlockFromMemory(package.data(), package.size(), decoded), 0);
        EXPECT_EQ(decoded, *riviru::DecodeUtf8(text));

        ASSERT_EQ(Run({"inspect", output_.string()}), 0) << err_;
        const std::string archiveLine = "archive:       offset " + std::to_string(found->EndOffset()) +
                                        ", size " + std::to_string(archive.size()) + "\n";
        const std::string blockLine =
            "config block:  offset " + std::to_string(found->begin) + ", size " + std::to_string(found->size);
        EXPECT_NE(out_.find(archiveLine), std::string::npos) << out_;
        EXPECT_NE(out_.find(blockLine), std::string::npos) << out_;
        const std::string header = "configuration: " + std::to_string(text.size()) + " bytes of UTF-8\n";
        const auto at = out_.find(header);
        ASSERT_NE(at, std::string::npos) << out_;
        EXPECT_EQ(out_.substr(at + header.size(), text.size()), text);
    }
}

TEST_F(SfxPackTest, EachBuildDrawsAFreshIv) {
    ASSERT_EQ(Build(), 0) << err_;
    const Bytes first = ReadAll(output_);
    ASSERT_EQ(Build(), 0) << err_;  // over an existing output
    const Bytes second = ReadAll(output_);
    ASSERT_EQ(first.size(), second.size());
    const std::size_t iv = MakeStub().size() + sfx::kStartMarkerSize;
    EXPECT_NE(Bytes(first.begin() + iv, first.begin() + iv + 16),
              Bytes(second.begin() + iv, second.begin() + iv + 16));
}

TEST_F(SfxPackTest, BadInputIsReportedAndLeavesNoOutput) {
    struct Case {
        const char* name;
        std::function<fs::path(SfxPackTest&)> arrange;  // returns the file the message must name
    };
    const Case cases[] = {
        {"missing stub", [](SfxPackTest& t) { return t.stub_ = t.dir_ / "nowhere.exe"; }},
        {"missing configuration", [](SfxPackTest& t) { return t.config_ = t.dir_ / "nowhere.txt"; }},
        {"missing archive", [](SfxPackTest& t) { return t.archive_ = t.dir_ / "nowhere.7z"; }},
        {"directory as stub", [](SfxPackTest& t) { return t.stub_ = t.dir_; }},
        {"stub without MZ",
         [](SfxPackTest& t) { return t.Write("stub.exe", ToBytes("#!/bin/sh\necho hi\n")); }},
        {"stub with header offset outside the file",
         [](SfxPackTest& t) { return t.Write("stub.exe", MakeHeaderStub(0x10B, 0x1FE)); }},
        {"stub with header offset far outside the file",
         [](SfxPackTest& t) { return t.Write("stub.exe", MakeHeaderStub(0x10B, 0xFFFFFFF0u)); }},
        {"stub without PE signature",
         [](SfxPackTest& t) {
             Bytes stub = MakeStub();
             stub[0x81] = 'X';
             return t.Write("stub.exe", stub);
         }},
        {"stub without _KVR_VERIFY",
         [](SfxPackTest& t) {
             return t.Write("stub.exe", sfxtest::MakeTestStub({sfxtest::Placeholder(L"KVRID", 256)}).bytes);
         }},
        {"stub with a 4-byte _KVR_VERIFY",
         [](SfxPackTest& t) {
             return t.Write("stub.exe",
                            sfxtest::MakeTestStub({sfxtest::Placeholder(L"_KVR_VERIFY", 4)}).bytes);
         }},
        {"stub whose _KVR_VERIFY is named in other case",
         [](SfxPackTest& t) {
             return t.Write("stub.exe",
                            sfxtest::MakeTestStub({sfxtest::Placeholder(L"_kvr_verify", 8)}).bytes);
         }},
        {"stub with a damaged resource directory",
         [](SfxPackTest& t) {
             auto stub = sfxtest::MakeTestStub();
             PutU32(stub.bytes, stub.dataEntryAt[0] + 4, 0x100000);
             return t.Write("stub.exe", stub.bytes);
         }},
        {"signed stub",
         [](SfxPackTest& t) {
             auto stub = sfxtest::MakeTestStub();
             const auto size = static_cast<std::uint32_t>(stub.bytes.size());
             stub.bytes.resize(size + 16, 0);
             PutU32(stub.bytes, stub.certificateField, size);
             PutU32(stub.bytes, stub.certificateField + 4, 16);
             return t.Write("stub.exe", stub.bytes);
         }},
        {"64-bit stub", [](SfxPackTest& t) { return t.Write("stub.exe", MakeHeaderStub(0x20B)); }},
        {"stub that is already a package",
         [](SfxPackTest& t) {
             EXPECT_EQ(t.Build(), 0);
             const fs::path package = t.output_;
             t.output_ = t.dir_ / "again.exe";
             return t.stub_ = package;
         }},
        {"configuration not UTF-8",
         [](SfxPackTest& t) { return t.Write("config.txt", ToBytes("Name=\xC3(\n")); }},
        {"configuration with an encoded surrogate",
         [](SfxPackTest& t) { return t.Write("config.txt", ToBytes("Name=\xED\xA0\x80\n")); }},
        {"archive without 7z signature",
         [](SfxPackTest& t) { return t.Write("payload.7z", ToBytes("PK\x03\x04....")); }},
        {"archive shorter than the signature",
         [](SfxPackTest& t) {
             return t.Write("payload.7z", Bytes{0x37, 0x7A});
         }},
        {"output is the stub", [](SfxPackTest& t) { return t.output_ = t.stub_; }},
        {"output is the archive spelled otherwise",
         [](SfxPackTest& t) { return t.output_ = t.dir_ / "." / "payload.7z"; }},
        {"output is the configuration", [](SfxPackTest& t) { return t.output_ = t.config_; }},
        {"output folder missing",
         [](SfxPackTest& t) { return t.output_ = t.dir_ / "no-such-folder" / "p.exe"; }},
        {"stub too large for the block to be found",
         [](SfxPackTest& t) {
             Bytes stub = MakeStub();
             stub.resize(sfx::kConfigScanLimit - 64, 0);
             t.Write("stub.exe", stub);
             return t.output_;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();  // fresh inputs in a fresh folder for each case
        SetUp();
        const fs::path named = c.arrange(*this);
        std::error_code ec;
        const bool outputExisted = fs::exists(output_, ec);
        const std::size_t filesBefore = FileCount();
        const int code = Build();
        EXPECT_NE(code, 0);
        EXPECT_NE(err_.find(named.string()), std::string::npos) << err_;
        EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
        EXPECT_EQ(fs::exists(output_, ec), outputExisted);
        EXPECT_EQ(FileCount(), filesBefore) << "temporary file left behind";
    }
}

TEST_F(SfxPackTest, InspectRejectsFilesThatAreNoPackage) {
    ASSERT_NE(Run({"inspect", (dir_ / "nowhere.exe").string()}), 0);
    EXPECT_NE(err_.find("nowhere.exe"), std::string::npos) << err_;
    ASSERT_NE(Run({"inspect", stub_.string()}), 0);
    EXPECT_NE(err_.find(stub_.string()), std::string::npos) << err_;
}

TEST_F(SfxPackTest, CommandLine) {
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* text;  // expected in stdout (code 0) or stderr
    };
    const Case cases[] = {
        {{"--help"}, 0, "usage: sfxpack build"},
        {{}, 2, "no command"},
        {{"pack"}, 2, "unknown command 'pack'"},
        {{"build", "--stub", "a", "--config", "b", "--archive", "c"}, 2, "missing --output"},
        {{"build", "--stub", "a", "--stub=b"}, 2, "--stub given twice"},
        {{"build", "--stub"}, 2, "--stub needs a value"},
        {{"build", "--verbose"}, 2, "unexpected argument '--verbose'"},
        {{"inspect"}, 2, "expects one package file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Run(c.args), c.code);
        const std::string& text = c.code == 0 ? out_ : err_;
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
    }
    EXPECT_EQ(Run({"build", "--stub=" + stub_.string(), "--config=" + config_.string(),
                   "--archive=" + archive_.string(), "--output=" + output_.string()}),
              0)
        << err_;
}
