// The package integrity check and the reading of RCDATA resources from files
// on disk, on small PE files written by the tests and on a copy of this test
// program (which carries a _KVR_VERIFY placeholder, TestResources.rc).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ReadFileResource.h"
#include "VerifyPackage.h"
#include "riviru/localization/MemStringResources.h"
#include "riviru/win/UniqueResource.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Where the check reads the certificate table entry, counted from "PE\0\0".
static_assert(offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                      offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory) +
                      IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY) ==
                  152,
              "certificate table entry of a PE32 header");

constexpr wchar_t kNotAnExe[] = L"File does not have EXE format.";
constexpr wchar_t kInvalidPe[] = L"Invalid PE signature.";
constexpr wchar_t kNoResource[] = L"Resource _KVR_VERIFY is not found.";
constexpr std::uint32_t kPeOffset = 0x40;
constexpr std::uint32_t kSectionOffset = 0x200;  // file offset of .rsrc
constexpr std::uint32_t kSectionRva = 0x1000;

template <typename T>
void Put(Bytes& bytes, std::size_t offset, T value) {
    if (bytes.size() < offset + sizeof value) bytes.resize(offset + sizeof value, 0);
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

Bytes Le64(std::uint64_t value) {
    Bytes bytes(8);
    std::memcpy(bytes.data(), &value, 8);
    return bytes;
}

struct Resource {
    std::wstring name;  // upper case, as resource compilers store names
    Bytes data;
    std::uint32_t declaredSize = 0;  // the size in the directory when not 0
};

// A minimal PE32 image: headers and one .rsrc section with RCDATA resources
// of neutral language, laid out as resource compilers do.
Bytes BuildPe(std::vector<Resource> resources) {
    std::sort(resources.begin(), resources.end(),
              [](const Resource& a, const Resource& b) { return a.name < b.name; });
    const auto count = static_cast<std::uint32_t>(resources.size());
    const std::uint32_t typeDir = 24;
    const std::uint32_t languageDirs = typeDir + 16 + 8 * count;
    const std::uint32_t dataEntries = languageDirs + 24 * count;
    std::uint32_t strings = dataEntries + 16 * count;

    Bytes section;
    Put<std::uint16_t>(section, 14, 1);  // root: one id entry, RT_RCDATA
    Put<std::uint32_t>(section, 16, 10);
    Put<std::uint32_t>(section, 20, 0x80000000u | typeDir);
    Put<std::uint16_t>(section, typeDir + 12, static_cast<std::uint16_t>(count));
    std::vector<std::uint32_t> nameOffsets;
    for (const Resource& resource : resources) {
        nameOffsets.push_back(strings);
        Put<std::uint16_t>(section, strings, static_cast<std::uint16_t>(resource.name.size()));
        for (std::size_t i = 0; i < resource.name.size(); ++i) {
            Put<std::uint16_t>(section, strings + 2 + 2 * i, static_cast<std::uint16_t>(resource.name[i]));
        }
        strings += 2 + 2 * static_cast<std::uint32_t>(resource.name.size());
    }
    std::uint32_t data = (strings + 7) & ~7u;
    for (std::uint32_t i = 0; i < count; ++i) {
        const Resource& resource = resources[i];
        Put<std::uint32_t>(section, typeDir + 16 + 8 * i, 0x80000000u | nameOffsets[i]);
        Put<std::uint32_t>(section, typeDir + 20 + 8 * i, 0x80000000u | (languageDirs + 24 * i));
        Put<std::uint16_t>(section, languageDirs + 24 * i + 14, 1);  // one language, neutral (id 0)
        Put<std::uint32_t>(section, languageDirs + 24 * i + 20, dataEntries + 16 * i);
        const auto size = static_cast<std::uint32_t>(resource.data.size());
        Put<std::uint32_t>(section, dataEntries + 16 * i, kSectionRva + data);
        Put<std::uint32_t>(section, dataEntries + 16 * i + 4,
                           resource.declaredSize ? resource.declaredSize : size);
        section.resize(std::max<std::size_t>(section.size(), data + size), 0);
        std::copy(resource.data.begin(), resource.data.end(), section.begin() + data);
        data = (data + size + 7) & ~7u;
    }
    section.resize((std::max<std::size_t>(section.size(), data) + 0x1FF) & ~std::size_t{0x1FF}, 0);
    const auto sectionSize = static_cast<std::uint32_t>(section.size());

    Bytes pe(kSectionOffset, 0);
    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = kPeOffset;
    Put(pe, 0, dos);
    IMAGE_NT_HEADERS32 nt{};
    nt.Signature = IMAGE_NT_SIGNATURE;
    nt.FileHeader.Machine = IMAGE_FILE_MACHINE_I386;
    nt.FileHeader.NumberOfSections = 1;
    nt.FileHeader.SizeOfOptionalHeader = sizeof(IMAGE_OPTIONAL_HEADER32);
    nt.FileHeader.Characteristics = IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_32BIT_MACHINE;
    IMAGE_OPTIONAL_HEADER32& optional = nt.OptionalHeader;
    optional.Magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    optional.ImageBase = 0x400000;
    optional.SectionAlignment = 0x1000;
    optional.FileAlignment = 0x200;
    optional.MajorOperatingSystemVersion = 4;
    optional.MajorSubsystemVersion = 4;
    optional.SizeOfImage = kSectionRva + ((sectionSize + 0xFFF) & ~0xFFFu);
    optional.SizeOfHeaders = kSectionOffset;
    optional.Subsystem = IMAGE_SUBSYSTEM_WINDOWS_GUI;
    optional.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE] = {kSectionRva, sectionSize};
    Put(pe, kPeOffset, nt);
    IMAGE_SECTION_HEADER header{};
    std::memcpy(header.Name, ".rsrc", 5);
    header.Misc.VirtualSize = sectionSize;
    header.VirtualAddress = kSectionRva;
    header.SizeOfRawData = sectionSize;
    header.PointerToRawData = kSectionOffset;
    header.Characteristics = IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ;
    Put(pe, kPeOffset + sizeof nt, header);
    pe.insert(pe.end(), section.begin(), section.end());
    return pe;
}

Bytes PeWithVerify(const Bytes& value) {
    return BuildPe({{L"_KVR_VERIFY", value}});
}

// Points the certificate table entry of a built image at [offset, offset + size).
void SetCertificateTable(Bytes& pe, std::uint32_t offset, std::uint32_t size) {
    Put(pe, kPeOffset + 152, offset);
    Put(pe, kPeOffset + 156, size);
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (const wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

std::wstring TempFilePath() {
    wchar_t folder[MAX_PATH];
    wchar_t name[MAX_PATH];
    if (::GetTempPathW(MAX_PATH, folder) == 0 || ::GetTempFileNameW(folder, L"vfp", 0, name) == 0) return {};
    return name;
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

std::uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class PackageFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = TempFilePath();
        ASSERT_FALSE(path_.empty());
        strings_.SetString(L"SfxErrorReadArchive", L"Cannot read.");
        strings_.SetString(L"SfxErrorBadArchive", L"Corrupted.");
        strings_.SetString(L"ErrorSize", L"Expected file size: %I64d\nActual file size: %I64d");
    }
    void TearDown() override { ::DeleteFileW(path_.c_str()); }

    void Write(const Bytes& bytes) const {
        riviru::win::unique_file file(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(
            ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        ASSERT_EQ(written, bytes.size());
    }

    std::wstring Verify() const { return VerifyPackageFile(path_, strings_); }

    static std::wstring SizeMessage(long long expected, long long actual) {
        return L"Corrupted.\n\nExpected file size: " + std::to_wstring(expected) + L"\nActual file size: " +
               std::to_wstring(actual);
    }

    std::wstring path_;
    riviru::MemStringResources strings_;
};

using VerifyPackageTest = PackageFileTest;
using ReadFileResourceTest = PackageFileTest;

// Holds path open without any sharing from another thread for a while.
class ExclusiveHolder {
public:
    ExclusiveHolder(const std::wstring& path, DWORD holdMs) {
        riviru::win::unique_handle opened(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        thread_ = std::thread([path, holdMs, event = opened.get()] {
            riviru::win::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                        FILE_ATTRIBUTE_NORMAL, nullptr));
            ::SetEvent(event);
            ::Sleep(holdMs);
        });
        ::WaitForSingleObject(opened.get(), INFINITE);
    }
    ~ExclusiveHolder() { thread_.join(); }
    ExclusiveHolder(const ExclusiveHolder&) = delete;
    ExclusiveHolder& operator=(const ExclusiveHolder&) = delete;

private:
    std::thread thread_;
};

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

TEST_F(VerifyPackageTest, HeaderFaultsGiveTheFixedTexts) {
    const Bytes pe = PeWithVerify(Le64(0));
    const auto withHeaderOffset = [&](std::uint32_t offset) {
        Bytes bytes = pe;
        Put(bytes, 0x3C, offset);
        return bytes;
    };
    Bytes signatureAtTheEnd = pe;  // the signature fits, the certificate entry after it does not
    Put(signatureAtTheEnd, 0x3C, static_cast<std::uint32_t>(pe.size() - 8));
    Put(signatureAtTheEnd, pe.size() - 8, IMAGE_NT_SIGNATURE);
    Bytes wrongSignature = pe;
    Put<std::uint8_t>(wrongSignature, kPeOffset + 3, 1);
    // The headers are looked for in the first MiB only.
    Bytes headerBeyondOneMiB(0x100000 + 0x1000, 0);
    std::copy(pe.begin(), pe.begin() + 0x40, headerBeyondOneMiB.begin());
    std::copy(pe.begin() + kPeOffset, pe.end(), headerBeyondOneMiB.begin() + 0x100010);
    Put<std::uint32_t>(headerBeyondOneMiB, 0x3C, 0x100010);
    Bytes notMz = pe;
    notMz[0] = 'N';

    const struct {
        const char* what;
        Bytes bytes;
        const wchar_t* message;
    } cases[] = {
        {"no MZ", notMz, kNotAnExe},
        {"one byte", {'M'}, kNotAnExe},
        {"MZ only", {'M', 'Z'}, kInvalidPe},
        {"header offset field cut", Bytes(pe.begin(), pe.begin() + 0x3E), kInvalidPe},
        {"header offset past the end", withHeaderOffset(0x7FFFFFF0), kInvalidPe},
        {"header offset negative", withHeaderOffset(0xFFFFFFFC), kInvalidPe},
        {"header offset at the last byte", withHeaderOffset(static_cast<std::uint32_t>(pe.size() - 1)),
         kInvalidPe},
        {"headers cut after the signature", signatureAtTheEnd, kInvalidPe},
        {"wrong signature", wrongSignature, kInvalidPe},
        {"header beyond the first MiB", headerBeyondOneMiB, kInvalidPe},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.bytes);
        EXPECT_EQ(Verify(), c.message);
    }
}

TEST_F(VerifyPackageTest, StampedSizeIsComparedWithTheFileSize) {
    const std::size_t size = PeWithVerify(Le64(0)).size();
    const struct {
        const char* what;
        std::vector<Resource> resources;
        std::wstring message;
    } cases[] = {
        {"correct size", {{L"_KVR_VERIFY", Le64(size)}}, L""},
        {"placeholder", {{L"_KVR_VERIFY", Le64(0)}}, SizeMessage(0, size)},
        {"one byte less", {{L"_KVR_VERIFY", Le64(size - 1)}}, SizeMessage(size - 1, size)},
        {"above 32 bits",
         {{L"_KVR_VERIFY", Le64(0x100000000ull + size)}},
         SizeMessage(0x100000000ll + size, size)},
        {"signed", {{L"_KVR_VERIFY", Le64(~0ull)}}, SizeMessage(-1, size)},
        {"missing", {{L"KVRID", Le64(size)}}, kNoResource},
        {"4 bytes", {{L"_KVR_VERIFY", Bytes(4, 0)}}, kNoResource},
        {"9 bytes", {{L"_KVR_VERIFY", Bytes(9, 0)}}, kNoResource},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes pe = BuildPe(c.resources);
        ASSERT_EQ(pe.size(), size);
        Write(pe);
        EXPECT_EQ(Narrow(Verify()), Narrow(c.message));
    }
}

TEST_F(VerifyPackageTest, CertificateTableEndIsTheExpectedSize) {
    // Stamped size wrong and no resource at all: neither is read when signed.
    for (const std::vector<Resource>& resources :
         {std::vector<Resource>{{L"_KVR_VERIFY", Le64(1)}}, std::vector<Resource>{}}) {
        Bytes package = BuildPe(resources);
        const auto offset = static_cast<std::uint32_t>(package.size());
        package.resize(package.size() + 24, 0xCE);  // the certificate table
        SetCertificateTable(package, offset, 24);
        Write(package);
        EXPECT_EQ(Verify(), L"");

        package.push_back(0);  // data appended after signing
        Write(package);
        EXPECT_EQ(Narrow(Verify()), Narrow(SizeMessage(offset + 24, offset + 25)));
    }
}

TEST_F(VerifyPackageTest, CertificateEndIsA32BitSum) {
    Bytes package = PeWithVerify(Le64(0));
    SetCertificateTable(package, 0xFFFFFFF0u, 0x20);
    Write(package);
    EXPECT_EQ(Narrow(Verify()), Narrow(SizeMessage(0x10, static_cast<long long>(package.size()))));
}

TEST_F(VerifyPackageTest, UnreadableFileGivesTheReadErrorWithItsCode) {
    Write({});
    EXPECT_EQ(Verify(),
              L"Cannot read. (" + std::to_wstring(riviru::HResultFromWin32(ERROR_FILE_INVALID)) + L")");
    Write(PeWithVerify(Le64(0)));
    {
        ExclusiveHolder holder(path_, 300);
        EXPECT_EQ(Verify(), L"Cannot read. (-2147024864)");  // 0x80070020, not retried
    }
    EXPECT_EQ(VerifyPackageFile(path_ + L".missing", strings_), L"Cannot read. (-2147024894)");
}

TEST_F(VerifyPackageTest, StampedCopyOfALinkedProgramPasses) {
    ASSERT_TRUE(::CopyFileW(OwnPath().c_str(), path_.c_str(), FALSE));
    const std::uint64_t size = FileSize(path_);
    EXPECT_EQ(Narrow(Verify()), Narrow(SizeMessage(0, static_cast<long long>(size))));

    // Stamp the size where the packaging tool would: into the resource data.
    std::size_t stampOffset = 0;
    {
        riviru::win::unique_file file(::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        riviru::win::unique_handle mapping(
            ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        ASSERT_TRUE(mapping);
        riviru::win::unique_view view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
        ASSERT_TRUE(view);
        const auto module = reinterpret_cast<HMODULE>(reinterpret_cast<ULONG_PTR>(view.get()) | 1);
        const HRSRC found = ::FindResourceW(module, L"_KVR_VERIFY", MAKEINTRESOURCEW(10));
        ASSERT_NE(found, nullptr);
        const void* data = ::LockResource(::LoadResource(module, found));
        stampOffset = static_cast<std::size_t>(static_cast<const std::uint8_t*>(data) -
                                               static_cast<const std::uint8_t*>(view.get()));
    }
    riviru::win::unique_file file(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    ASSERT_NE(::SetFilePointer(file.get(), static_cast<LONG>(stampOffset), nullptr, FILE_BEGIN),
              INVALID_SET_FILE_POINTER);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), &size, sizeof size, &written, nullptr));
    file.reset();
    EXPECT_EQ(Verify(), L"");
}

TEST_F(VerifyPackageTest, RunningProgramIsCheckedThroughItsOwnPath) {
    // This program carries the unstamped placeholder.
    EXPECT_EQ(Narrow(VerifyPackage(strings_)),
              Narrow(SizeMessage(0, static_cast<long long>(FileSize(OwnPath())))));
}

TEST_F(ReadFileResourceTest, ReadsTheNamedResourceFromTheFile) {
    Write(BuildPe(
        {{L"KVRID", Bytes(16, 0x11)}, {L"_KVR_VERIFY", Le64(0x0102030405060708ull)}, {L"ZED", {1, 2, 3}}}));
    const FileResourceBytes verify = ReadFileResource(path_, L"_KVR_VERIFY");
    EXPECT_EQ(verify.result, riviru::kOk);
    EXPECT_EQ(verify.bytes, Le64(0x0102030405060708ull));
    const FileResourceBytes odd = ReadFileResource(path_, L"ZED");
    EXPECT_EQ(odd.result, riviru::kOk);
    EXPECT_EQ(odd.bytes, (Bytes{1, 2, 3}));

    const FileResourceBytes missing = ReadFileResource(path_, L"KV_MISSING");
    EXPECT_LT(missing.result, 0);
    EXPECT_EQ(static_cast<std::uint32_t>(missing.result) & 0xFFFF0000u, 0x80070000u) << "a system error";
    EXPECT_TRUE(missing.bytes.empty());
}

TEST_F(ReadFileResourceTest, FaultsGiveTheirCodes) {
    Bytes notMz = PeWithVerify(Le64(0));
    notMz[1] = 'X';
    // The header offset points far past the file: the resource functions
    // must not be let loose on it.
    Bytes farHeaders = PeWithVerify(Le64(0));
    farHeaders[0x3C] = 0xF0, farHeaders[0x3D] = 0xFF, farHeaders[0x3E] = 0xFF, farHeaders[0x3F] = 0x7F;
    const struct {
        const char* what;
        Bytes bytes;
        riviru::HResult result;
    } cases[] = {
        {"no MZ", notMz, static_cast<riviru::HResult>(0x80070714u)},
        {"one byte", {'M'}, static_cast<riviru::HResult>(0x80070714u)},
        {"empty", {}, riviru::HResultFromWin32(ERROR_FILE_INVALID)},
        // The directory claims more bytes than the file has: refused, not read.
        {"data past the end", BuildPe({{L"_KVR_VERIFY", Le64(0), 0x10000000u}}), riviru::kInvalidData},
        {"headers past the end", farHeaders, riviru::kInvalidData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.bytes);
        const FileResourceBytes read = ReadFileResource(path_, L"_KVR_VERIFY");
        EXPECT_EQ(read.result, c.result);
        EXPECT_TRUE(read.bytes.empty());
    }
}

TEST_F(ReadFileResourceTest, OnlyASharingViolationIsRetried) {
    const auto start = std::chrono::steady_clock::now();
    const FileResourceBytes missing = ReadFileResource(path_ + L".missing", L"_KVR_VERIFY");
    EXPECT_EQ(missing.result, static_cast<riviru::HResult>(0x80070002u));
    EXPECT_LT(MillisecondsSince(start), 750) << "one attempt after one delay";
}

TEST_F(ReadFileResourceTest, FileHeldForAMomentIsReadOnALaterAttempt) {
    Write(PeWithVerify(Le64(77)));
    const auto start = std::chrono::steady_clock::now();
    FileResourceBytes read;
    {
        ExclusiveHolder holder(path_, 600);
        read = ReadFileResource(path_, L"_KVR_VERIFY");
    }
    EXPECT_EQ(read.result, riviru::kOk);
    EXPECT_EQ(read.bytes, Le64(77));
    EXPECT_GE(MillisecondsSince(start), 500);
}

TEST_F(ReadFileResourceTest, FileHeldThroughoutFailsAfterFiveAttempts) {
    Write(PeWithVerify(Le64(77)));
    ExclusiveHolder holder(path_, 2500);
    const auto start = std::chrono::steady_clock::now();
    const FileResourceBytes read = ReadFileResource(path_, L"_KVR_VERIFY");
    const long long elapsed = MillisecondsSince(start);
    EXPECT_EQ(read.result, static_cast<riviru::HResult>(0x80070020u));
    // Four delays of 250 ms; the fifth attempt follows the fourth at once.
    EXPECT_GE(elapsed, 950);
    EXPECT_LT(elapsed, 1225);
}
