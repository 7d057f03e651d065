// The 7-Zip engine compiled into the stub, driven through its library
// interfaces: the registry, the 7z handler with IInArchive::Extract into
// memory, and the engine's Extract() entry point with open and extraction
// callbacks into a folder. The archives come from Debian's 7zz at build time
// (tests/win/data/make-archives.sh), with the files they must hold.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/SevenZipEngine.h"  // first: it prepares <windows.h> for the engine's headers

#include "7zip/Common/CreateCoder.h"
#include "7zip/Common/FileStreams.h"
#include "7zip/IPassword.h"
#include "7zip/PropID.h"
#include "7zip/UI/Common/Extract.h"
#include "Windows/PropVariant.h"
#include "riviru/win/UniqueResource.h"
#include "TestFileSystem.h"

namespace {

using test::Bytes;
using test::ReadAll;
using test::ReadTree;
using test::Tree;
using test::WriteAll;

const wchar_t kPassword[] = L"Secret-Pa55w0rd";

std::wstring Widen(const char* utf8) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), n);
    text.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
    return text;
}

std::wstring Normalized(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// The build tree's data folder, seen through Wine's drive Z:.
std::wstring DataPath(const std::wstring& name) {
    return Normalized(L"Z:" + Widen(SFX_ENGINE_TEST_DATA) + L"/" + name);
}




Tree Expected(const std::wstring& set) {
    Tree tree;
    ReadTree(DataPath(L"expected/" + set + L"/"), L"", tree);
    return tree;
}

using test::RemoveTree;

class TempFolder {
public:
    TempFolder() {
        static std::atomic<unsigned> counter{0};
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"sfx7z-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter++) + L"\\";
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() { RemoveTree(path_); }
    const std::wstring& path() const { return path_; }  // with a trailing backslash

private:
    std::wstring path_;
};

std::string Narrow(const std::wstring& text) {  // for messages only
    std::string s;
    for (const wchar_t c : text) s += c < 0x80 ? static_cast<char>(c) : '?';
    return s;
}

// Names what differs; never prints the contents, which can be megabytes.
::testing::AssertionResult SameTree(const Tree& actual, const Tree& expected) {
    std::string problems;
    const auto narrow = Narrow;
    for (const auto& [name, bytes] : expected.files) {
        const auto it = actual.files.find(name);
        if (it == actual.files.end())
            problems += " missing file " + narrow(name) + ";";
        else if (it->second != bytes)
            problems += " " + narrow(name) + " differs (" + std::to_string(it->second.size()) +
                        " bytes, expected " + std::to_string(bytes.size()) + ");";
    }
    for (const auto& entry : actual.files)
        if (!expected.files.count(entry.first)) problems += " unexpected file " + narrow(entry.first) + ";";
    for (const auto& name : expected.folders)
        if (!actual.folders.count(name)) problems += " missing folder " + narrow(name) + ";";
    for (const auto& name : actual.folders)
        if (!expected.folders.count(name)) problems += " unexpected folder " + narrow(name) + ";";
    if (problems.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << problems;
}

unsigned CountThreadsOfThisProcess() {
    riviru::win::unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    unsigned count = 0;
    for (BOOL ok = ::Thread32First(snapshot.get(), &entry); ok; ok = ::Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    return count;
}

HRESULT CopyPassword(const std::wstring& password, BSTR* out) {
    *out = ::SysAllocString(password.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

// COM interfaces have no virtual destructor by design: an object deletes
// itself in Release, through its most derived type (Com below).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Adds reference counting to a callback class; objects live on the heap and
// are held through CMyComPtr.
template <typename T>
class Com final : public T {
public:
    using T::T;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

private:
    ULONG refs_ = 0;
};

// A callback object on the test's stack: counted, never deleted.
template <typename T>
class OnStack final : public T {
public:
    using T::T;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return --refs_; }

private:
    ULONG refs_ = 1;
};

template <typename I>
HRESULT Answer(I* self, void** out) {
    *out = self;
    self->AddRef();
    return S_OK;
}

// ---- IInArchive::Extract into memory ----

struct MemoryReport {
    HRESULT open = E_FAIL;
    HRESULT extract = E_FAIL;
    Tree tree;
    std::map<std::wstring, Int32> results;  // per file, the engine's operation result
    std::set<std::wstring> methods;         // method names of the entries, parameters dropped
    bool solid = false;
    UInt32 blocks = 0;
    int passwordRequests = 0;
};

class MemoryOutStream : public ISequentialOutStream {
public:
    explicit MemoryOutStream(Bytes& sink) : sink_(sink) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (iid == IID_IUnknown || iid == IID_ISequentialOutStream)
            return Answer<ISequentialOutStream>(this, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* data, UInt32 size, UInt32* processed) noexcept override {
        sink_.append(static_cast<const char*>(data), size);
        if (processed) *processed = size;
        return S_OK;
    }

private:
    Bytes& sink_;
};

class MemoryExtractCallback : public IArchiveExtractCallback, public ICryptoGetTextPassword {
public:
    MemoryExtractCallback(IInArchive* archive, std::wstring password, MemoryReport& report)
        : archive_(archive), password_(std::move(password)), report_(report) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (iid == IID_IUnknown || iid == IID_IArchiveExtractCallback || iid == IID_IProgress)
            return Answer<IArchiveExtractCallback>(this, out);
        if (iid == IID_ICryptoGetTextPassword) return Answer<ICryptoGetTextPassword>(this, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE SetTotal(UInt64) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetCompleted(const UInt64*) noexcept override { return S_OK; }

    // The engine asks in test mode (no stream wanted) for the files of a
    // block it could not decode.
    HRESULT STDMETHODCALLTYPE GetStream(UInt32 index, ISequentialOutStream** stream,
                                        Int32 mode) noexcept override {
        *stream = nullptr;
        try {
            NWindows::NCOM::CPropVariant path, isDir, method;
            RINOK(archive_->GetProperty(index, kpidPath, &path))
            RINOK(archive_->GetProperty(index, kpidIsDir, &isDir))
            RINOK(archive_->GetProperty(index, kpidMethod, &method))
            current_ = path.vt == VT_BSTR ? Normalized(path.bstrVal) : std::wstring();
            if (method.vt == VT_BSTR) AddMethods(method.bstrVal);
            if (isDir.vt == VT_BOOL && isDir.boolVal != VARIANT_FALSE) {
                report_.tree.folders.insert(current_);
                current_.clear();
                return S_OK;
            }
            if (mode != NArchive::NExtract::NAskMode::kExtract) return S_OK;
            auto* out = new Com<MemoryOutStream>(report_.tree.files[current_]);
            return Answer<ISequentialOutStream>(out, reinterpret_cast<void**>(stream));
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE PrepareOperation(Int32) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetOperationResult(Int32 result) noexcept override {
        if (!current_.empty()) report_.results[current_] = result;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* password) noexcept override {
        ++report_.passwordRequests;
        return CopyPassword(password_, password);
    }

private:
    void AddMethods(const std::wstring& text) {  // "BCJ2 LZMA:d25 LZMA:17" -> BCJ2, LZMA
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find(L' ', start);
            if (end == std::wstring::npos) end = text.size();
            const std::wstring token = text.substr(start, end - start);
            if (!token.empty()) report_.methods.insert(token.substr(0, token.find(L':')));
            start = end + 1;
        }
    }

    IInArchive* archive_;
    std::wstring password_;
    MemoryReport& report_;
    std::wstring current_;
};

// Answers the password question of encrypted headers when it knows one.
class OpenCallback : public IArchiveOpenCallback, public ICryptoGetTextPassword {
public:
    explicit OpenCallback(std::wstring password) : password_(std::move(password)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (iid == IID_IUnknown || iid == IID_IArchiveOpenCallback)
            return Answer<IArchiveOpenCallback>(this, out);
        if (iid == IID_ICryptoGetTextPassword && !password_.empty())
            return Answer<ICryptoGetTextPassword>(this, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE SetTotal(const UInt64*, const UInt64*) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetCompleted(const UInt64*, const UInt64*) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* password) noexcept override {
        return CopyPassword(password_, password);
    }

private:
    std::wstring password_;
};

struct MemoryOptions {
    std::wstring password;
    std::wstring openPassword;
    UInt32 threads = 0;  // 0: the handler's default (one per processor)
};

MemoryReport ExtractToMemory(const std::wstring& archiveName, const MemoryOptions& options = {}) {
    MemoryReport report;
    sfx::engine::CodecRegistry codecs;
    CMyComPtr<IInArchive> archive;
    if (FAILED(sfx::engine::LoadCodecs(codecs)) ||
        FAILED(sfx::engine::Create7zHandler(*codecs.get(), archive)))
        return report;
    if (options.threads != 0) {
        CMyComPtr<ISetProperties> setProperties;
        archive.QueryInterface(IID_ISetProperties, &setProperties);
        if (!setProperties) return report;
        const wchar_t* names[] = {L"mt"};
        NWindows::NCOM::CPropVariant values[1];
        values[0] = options.threads;
        if (FAILED(setProperties->SetProperties(names, values, 1))) return report;
    }

    auto* file = new CInFileStream;
    CMyComPtr<IInStream> stream(file);
    if (!file->Open(DataPath(archiveName).c_str())) return report;
    CMyComPtr<IArchiveOpenCallback> openCallback(new Com<OpenCallback>(options.openPassword));
    const UInt64 maxCheckStart = 1 << 16;
    report.open = archive->Open(stream, &maxCheckStart, openCallback);
    if (report.open != S_OK) return report;

    NWindows::NCOM::CPropVariant solid, blocks;
    archive->GetArchiveProperty(kpidSolid, &solid);
    archive->GetArchiveProperty(kpidNumBlocks, &blocks);
    report.solid = solid.vt == VT_BOOL && solid.boolVal != VARIANT_FALSE;
    report.blocks = blocks.vt == VT_UI4 ? blocks.ulVal : 0;

    CMyComPtr<IArchiveExtractCallback> callback(
        new Com<MemoryExtractCallback>(archive, options.password, report));
    report.extract = archive->Extract(nullptr, static_cast<UInt32>(-1), 0, callback);
    archive->Close();
    return report;
}

bool AllOk(const MemoryReport& report) {
    return std::all_of(report.results.begin(), report.results.end(),
                       [](const auto& r) { return r.second == NArchive::NExtract::NOperationResult::kOK; });
}

// ---- the engine's Extract() entry point into a folder ----

// Records what the engine reports, the way the stub's extraction callback sees it.
class FolderExtractCallback : public IFolderArchiveExtractCallback,
                              public ICryptoGetTextPassword,
                              public IExtractCallbackUI {
public:
    UInt64 total = 0;
    UInt64 lastCompleted = 0;
    bool completedWentBack = false;
    std::vector<std::wstring> prepared;  // names, folders with a trailing backslash
    std::map<std::wstring, Int32> fileResults;
    std::vector<HRESULT> openResults;
    std::vector<std::wstring> overwriteQuestions;
    std::vector<std::wstring> messages;
    std::wstring password;
    int passwordRequests = 0;
    Int32 overwriteAnswer = NOverwriteAnswer::kNo;
    HRESULT answerAtCompleted = S_OK;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (iid == IID_IUnknown || iid == IID_IFolderArchiveExtractCallback)
            return Answer<IFolderArchiveExtractCallback>(this, out);
        if (iid == IID_ICryptoGetTextPassword) return Answer<ICryptoGetTextPassword>(this, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE SetTotal(UInt64 value) noexcept override {
        total = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCompleted(const UInt64* value) noexcept override {
        if (value) {
            completedWentBack = completedWentBack || *value < lastCompleted;
            lastCompleted = *value;
        }
        return answerAtCompleted;
    }
    HRESULT STDMETHODCALLTYPE AskOverwrite(const wchar_t* existing, const FILETIME*, const UInt64*,
                                           const wchar_t*, const FILETIME*, const UInt64*,
                                           Int32* answer) noexcept override {
        overwriteQuestions.push_back(existing);
        *answer = overwriteAnswer;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PrepareOperation(const wchar_t* name, Int32 isFolder, Int32,
                                               const UInt64*) noexcept override {
        prepared.push_back(Normalized(name) + (isFolder ? L"\\" : L""));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE MessageError(const wchar_t* message) noexcept override {
        messages.push_back(message);
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE SetOperationResult(Int32 result, Int32) noexcept override {
        if (!prepared.empty() && prepared.back().back() != L'\\') fileResults[prepared.back()] = result;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* out) noexcept override {
        ++passwordRequests;
        return CopyPassword(password, out);
    }

    HRESULT BeforeOpen(const wchar_t*, bool) override { return S_OK; }
    HRESULT OpenResult(const CCodecs*, const CArchiveLink&, const wchar_t*, HRESULT result) override {
        openResults.push_back(result);
        return result;
    }
    HRESULT ThereAreNoFiles() override { return S_OK; }
    HRESULT ExtractResult(HRESULT result) override { return result; }
    HRESULT SetPassword(const UString& value) override {
        password = value.Ptr();
        return S_OK;
    }
};

// Shows nothing and, unless it knows a password, cannot give one.
class SilentOpenCallback : public IOpenCallbackUI {
public:
    explicit SilentOpenCallback(std::wstring password = {}) : password_(std::move(password)) {}

    HRESULT Open_CheckBreak() override { return S_OK; }
    HRESULT Open_SetTotal(const UInt64*, const UInt64*) override { return S_OK; }
    HRESULT Open_SetCompleted(const UInt64*, const UInt64*) override { return S_OK; }
    HRESULT Open_Finished() override { return S_OK; }
    HRESULT Open_CryptoGetTextPassword(BSTR* password) override {
        return password_.empty() ? S_OK : CopyPassword(password_, password);
    }

private:
    std::wstring password_;
};

struct FolderRun {
    HRESULT result = E_FAIL;
    std::wstring error;
};

// Every entry with full paths into outDir, asking before overwriting.
FolderRun ExtractToFolder(const std::wstring& archivePath, const std::wstring& outDir,
                          FolderExtractCallback& callback, SilentOpenCallback& openCallback) {
    FolderRun run;
    sfx::engine::CodecRegistry codecs;
    run.result = sfx::engine::LoadCodecs(codecs);
    if (FAILED(run.result)) return run;

    NWildcard::CCensor censor;
    NWildcard::CCensorPathProps props;
    props.Recursive = true;
    props.WildcardMatching = true;
    censor.AddPreItem(true, UString(L"*"), props);
    censor.AddPathsToCensor(NWildcard::k_RelatPath);

    CExtractOptions options;
    options.PathMode = NExtract::NPathMode::kFullPaths;
    options.OverwriteMode = NExtract::NOverwriteMode::kAsk;
    options.OutputDir = outDir.c_str();
    options.YesToAll = true;

    UStringVector paths, fullPaths;
    paths.Add(UString(archivePath.c_str()));
    fullPaths.Add(UString(archivePath.c_str()));
    const CObjectVector<COpenType> types;
    const CIntVector excludedFormats;
    UString errorMessage;
    CDecompressStat stat;
    run.result = Extract(codecs.get(), types, excludedFormats, paths, fullPaths, censor.Pairs.Front().Head,
                         options, &openCallback, &callback, &callback, nullptr, errorMessage, stat);
    run.error = errorMessage.Ptr();
    return run;
}

#pragma GCC diagnostic pop

Tree ReadFolder(const std::wstring& dir) {
    Tree tree;
    ReadTree(dir, L"", tree);
    return tree;
}

}  // namespace

// ---- the registry ----

TEST(SevenZipEngine, RegistryHoldsThe7zFormatAndEveryDecoder) {
    sfx::engine::CodecRegistry codecs;
    ASSERT_EQ(sfx::engine::LoadCodecs(codecs), S_OK);
    EXPECT_EQ(codecs->Formats.Size(), 1u);
    EXPECT_EQ(sfx::engine::Find7zFormat(*codecs.get()), 0);
    CMyComPtr<IInArchive> archive;
    EXPECT_EQ(sfx::engine::Create7zHandler(*codecs.get(), archive), S_OK);
    EXPECT_TRUE(archive);

    for (const char* name : {"LZMA", "LZMA2", "PPMD", "BCJ", "BCJ2", "ARM", "ARMT", "PPC", "SPARC", "IA64",
                             "ARM64", "RISCV", "Delta", "Swap4", "Copy", "7zAES", "AES256CBC"}) {
        CMethodId id = 0;
        UInt32 streams = 0;
        bool isFilter = false;
        const int index = FindMethod_Index(AString(name), false, id, streams, isFilter);
        ASSERT_GE(index, 0) << name;
        CCreatedCoder coder;
        EXPECT_EQ(CreateCoder_Index(static_cast<unsigned>(index), false, coder), S_OK) << name;
        EXPECT_TRUE(coder.Coder || coder.Coder2) << name;
    }
    // The engine is built for reading: no compressor (Copy and the byte swaps
    // are their own inverse and stay registered both ways).
    for (const char* name : {"LZMA", "LZMA2", "PPMD", "BCJ", "BCJ2", "ARM64", "Delta", "7zAES"}) {
        CMethodId id = 0;
        UInt32 streams = 0;
        bool isFilter = false;
        EXPECT_LT(FindMethod_Index(AString(name), true, id, streams, isFilter), 0) << name;
    }
}

// ---- one archive per codec and filter, into memory ----

struct CodecCase {
    const wchar_t* archive;
    std::vector<std::wstring> methods;
};

class SevenZipCodecTest : public ::testing::TestWithParam<CodecCase> {};

TEST_P(SevenZipCodecTest, ExtractsTheFilesIntoMemory) {
    const MemoryReport report = ExtractToMemory(GetParam().archive);
    ASSERT_EQ(report.open, S_OK);
    ASSERT_EQ(report.extract, S_OK);
    EXPECT_TRUE(AllOk(report));
    EXPECT_TRUE(SameTree(report.tree, Expected(L"basic")));
    // The archive really uses the codec under test.
    for (const auto& method : GetParam().methods) EXPECT_TRUE(report.methods.count(method)) << Narrow(method);
}

INSTANTIATE_TEST_SUITE_P(
    SevenZipCodecs, SevenZipCodecTest,
    ::testing::Values(CodecCase{L"lzma.7z", {L"LZMA"}}, CodecCase{L"lzma2.7z", {L"LZMA2"}},
                      CodecCase{L"ppmd.7z", {L"PPMD"}}, CodecCase{L"bcj-lzma.7z", {L"BCJ", L"LZMA"}},
                      CodecCase{L"bcj2.7z", {L"BCJ2", L"LZMA"}}, CodecCase{L"arm.7z", {L"ARM", L"LZMA2"}},
                      CodecCase{L"armt.7z", {L"ARMT"}}, CodecCase{L"ppc.7z", {L"PPC"}},
                      CodecCase{L"sparc.7z", {L"SPARC"}}, CodecCase{L"ia64.7z", {L"IA64"}},
                      CodecCase{L"arm64.7z", {L"ARM64"}}, CodecCase{L"riscv.7z", {L"RISCV"}},
                      CodecCase{L"delta.7z", {L"Delta"}}, CodecCase{L"copy.7z", {L"Copy"}},
                      CodecCase{L"solid.7z", {L"LZMA2"}}, CodecCase{L"nonsolid.7z", {L"LZMA2"}}),
    [](const ::testing::TestParamInfo<CodecCase>& test) {
        std::string name;
        for (const wchar_t* p = test.param.archive; *p && *p != L'.'; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? static_cast<char>(*p) : '_';
        return name;
    });

TEST(SevenZipEngine, SolidArchiveHasOneBlockAndNonSolidOnePerFile) {
    const MemoryReport solid = ExtractToMemory(L"solid.7z");
    const MemoryReport nonSolid = ExtractToMemory(L"nonsolid.7z");
    ASSERT_EQ(solid.open, S_OK);
    ASSERT_EQ(nonSolid.open, S_OK);
    EXPECT_TRUE(solid.solid);
    EXPECT_EQ(solid.blocks, 1u);
    EXPECT_FALSE(nonSolid.solid);
    EXPECT_EQ(nonSolid.blocks, Expected(L"basic").files.size());
}

TEST(SevenZipEngine, AesArchiveWithThePassword) {
    MemoryOptions options;
    options.password = kPassword;
    const MemoryReport report = ExtractToMemory(L"aes.7z", options);
    ASSERT_EQ(report.open, S_OK);
    ASSERT_EQ(report.extract, S_OK);
    EXPECT_TRUE(AllOk(report));
    EXPECT_TRUE(SameTree(report.tree, Expected(L"basic")));
    EXPECT_TRUE(report.methods.count(L"7zAES"));
    EXPECT_EQ(report.passwordRequests, 1);  // one solid block, one key derivation
}

TEST(SevenZipEngine, AesArchiveWithAWrongPasswordGivesDataOrCrcErrors) {
    MemoryOptions options;
    options.password = L"wrong";
    const MemoryReport report = ExtractToMemory(L"aes.7z", options);
    ASSERT_EQ(report.open, S_OK);
    EXPECT_EQ(report.extract, S_OK);  // the failure is reported per entry
    ASSERT_FALSE(report.results.empty());
    for (const auto& [name, result] : report.results) {
        EXPECT_TRUE(result == NArchive::NExtract::NOperationResult::kDataError ||
                    result == NArchive::NExtract::NOperationResult::kCRCError)
            << result;
    }
}

TEST(SevenZipEngine, EncryptedHeadersOpenOnlyWithAPassword) {
    EXPECT_NE(ExtractToMemory(L"aes-headers.7z").open, S_OK);

    MemoryOptions options;
    options.password = kPassword;
    options.openPassword = kPassword;
    const MemoryReport report = ExtractToMemory(L"aes-headers.7z", options);
    ASSERT_EQ(report.open, S_OK);
    ASSERT_EQ(report.extract, S_OK);
    EXPECT_TRUE(AllOk(report));
    EXPECT_TRUE(SameTree(report.tree, Expected(L"basic")));
}

TEST(SevenZipEngine, DamagedArchiveGivesDataOrCrcErrors) {
    const MemoryReport report = ExtractToMemory(L"damaged.7z");
    ASSERT_EQ(report.open, S_OK);
    EXPECT_EQ(report.extract, S_OK);
    EXPECT_FALSE(AllOk(report));
    for (const auto& [name, result] : report.results) {
        EXPECT_TRUE(result == NArchive::NExtract::NOperationResult::kDataError ||
                    result == NArchive::NExtract::NOperationResult::kCRCError)
            << result;
    }
}

// The most threads this process had at once while it ran the given work,
// not counting the thread that watches.
template <typename Work>
unsigned PeakThreadsDuring(Work&& work) {
    std::atomic<bool> done{false};
    std::atomic<unsigned> peak{0};
    std::thread watcher([&] {
        while (!done) {
            peak = std::max(peak.load(), CountThreadsOfThisProcess());
            ::Sleep(2);
        }
    });
    work();
    done = true;
    watcher.join();
    return peak - 1;
}

TEST(SevenZipEngine, MultiBlockLzma2DecodesOnSeveralThreads) {
    const Tree expected = Expected(L"big");
    const unsigned before = CountThreadsOfThisProcess();
    unsigned peak[3] = {};
    for (const UInt32 threads : {1u, 2u}) {
        MemoryOptions options;
        options.threads = threads;
        const auto start = std::chrono::steady_clock::now();
        const MemoryReport report = ExtractToMemory(L"mt-lzma2.7z", options);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        ASSERT_EQ(report.extract, S_OK);
        EXPECT_TRUE(AllOk(report));
        EXPECT_TRUE(SameTree(report.tree, expected));
        // A second run under watch, so that the watching does not slow the timed one.
        peak[threads] = PeakThreadsDuring([&] { ExtractToMemory(L"mt-lzma2.7z", options); });
        std::printf(
            "[   INFO   ] 8 MiB of LZMA2 in eight blocks, mt=%u: %lld ms, up to %u threads (%u before)\n",
            threads, static_cast<long long>(ms), peak[threads], before);
    }
    // The caller's thread decodes too; each further thread is one the block
    // decoder starts.
    EXPECT_EQ(peak[1], before);
    EXPECT_EQ(peak[2], before + 1);
    ::testing::Test::RecordProperty("threads_mt1", static_cast<int>(peak[1]));
    ::testing::Test::RecordProperty("threads_mt2", static_cast<int>(peak[2]));
}

// ---- the engine's Extract() entry point, as the stub's worker calls it ----

TEST(SevenZipExtract, WritesEmptyFilesEmptyFoldersAndNonAsciiNames) {
    TempFolder out;
    OnStack<FolderExtractCallback> callback;
    SilentOpenCallback openCallback;
    const FolderRun run = ExtractToFolder(DataPath(L"special.7z"), out.path(), callback, openCallback);
    ASSERT_EQ(run.result, S_OK) << std::hex << run.result;
    EXPECT_TRUE(run.error.empty());
    const Tree expected = Expected(L"special");
    EXPECT_TRUE(SameTree(ReadFolder(out.path()), expected));

    std::set<std::wstring> prepared(callback.prepared.begin(), callback.prepared.end());
    EXPECT_TRUE(prepared.count(L"emptydir\\"));
    EXPECT_TRUE(prepared.count(L"tree\\inner\\"));
    EXPECT_TRUE(prepared.count(L"empty.txt"));
    EXPECT_TRUE(prepared.count(Widen("日本語\\ファイル.txt")));
    EXPECT_TRUE(prepared.count(Widen("smile 😀.txt")));
    EXPECT_EQ(callback.prepared.size(), expected.files.size() + expected.folders.size());
    EXPECT_EQ(callback.fileResults.size(), expected.files.size());
    for (const auto& [name, result] : callback.fileResults)
        EXPECT_EQ(result, NArchive::NExtract::NOperationResult::kOK) << Narrow(name);
    EXPECT_EQ(callback.total, 67u);  // the sum of the file sizes
    EXPECT_EQ(callback.lastCompleted, callback.total);
    EXPECT_FALSE(callback.completedWentBack);
    EXPECT_TRUE(callback.overwriteQuestions.empty());
}

TEST(SevenZipExtract, AsksBeforeOverwritingAndKeepsOrReplacesFiles) {
    TempFolder out;
    SilentOpenCallback openCallback;
    {
        OnStack<FolderExtractCallback> first;
        ASSERT_EQ(ExtractToFolder(DataPath(L"lzma2.7z"), out.path(), first, openCallback).result, S_OK);
    }
    WriteAll(out.path() + L"text.txt", "changed");

    OnStack<FolderExtractCallback> keep;
    keep.overwriteAnswer = NOverwriteAnswer::kNo;
    ASSERT_EQ(ExtractToFolder(DataPath(L"lzma2.7z"), out.path(), keep, openCallback).result, S_OK);
    EXPECT_EQ(keep.overwriteQuestions.size(), Expected(L"basic").files.size());
    EXPECT_EQ(ReadAll(out.path() + L"text.txt"), "changed");

    OnStack<FolderExtractCallback> replace;
    replace.overwriteAnswer = NOverwriteAnswer::kYesToAll;
    ASSERT_EQ(ExtractToFolder(DataPath(L"lzma2.7z"), out.path(), replace, openCallback).result, S_OK);
    EXPECT_EQ(replace.overwriteQuestions.size(), 1u);  // yes to all: asked once
    EXPECT_TRUE(SameTree(ReadFolder(out.path()), Expected(L"basic")));
}

TEST(SevenZipExtract, AsksTheExtractionCallbackForThePasswordOnce) {
    TempFolder out;
    OnStack<FolderExtractCallback> callback;
    callback.password = kPassword;
    SilentOpenCallback openCallback;
    ASSERT_EQ(ExtractToFolder(DataPath(L"aes.7z"), out.path(), callback, openCallback).result, S_OK);
    EXPECT_EQ(callback.passwordRequests, 1);
    EXPECT_TRUE(SameTree(ReadFolder(out.path()), Expected(L"basic")));
}

TEST(SevenZipExtract, WrongPasswordIsReportedPerEntry) {
    TempFolder out;
    OnStack<FolderExtractCallback> callback;
    callback.password = L"wrong";
    SilentOpenCallback openCallback;
    EXPECT_EQ(ExtractToFolder(DataPath(L"aes.7z"), out.path(), callback, openCallback).result, S_OK);
    EXPECT_EQ(callback.fileResults.size(), Expected(L"basic").files.size());
    for (const auto& [name, result] : callback.fileResults)
        EXPECT_TRUE(result == NArchive::NExtract::NOperationResult::kDataError ||
                    result == NArchive::NExtract::NOperationResult::kCRCError)
            << Narrow(name) << " " << result;
    EXPECT_FALSE(ReadFolder(out.path()).files.count(L"text.txt"));  // nothing undecodable is written
}

TEST(SevenZipExtract, EncryptedHeadersFailToOpenWithoutAPassword) {
    TempFolder out;
    OnStack<FolderExtractCallback> callback;
    SilentOpenCallback silent;
    const FolderRun run = ExtractToFolder(DataPath(L"aes-headers.7z"), out.path(), callback, silent);
    // The failed open arrives as S_FALSE, which is no FAILED() HRESULT: the
    // callback's OpenResult passes it back and Extract() stops with it.
    EXPECT_EQ(callback.openResults, std::vector<HRESULT>{S_FALSE});
    EXPECT_EQ(run.result, S_FALSE);
    EXPECT_TRUE(run.error.empty());

    SilentOpenCallback withPassword(kPassword);
    OnStack<FolderExtractCallback> second;
    second.password = kPassword;
    EXPECT_EQ(ExtractToFolder(DataPath(L"aes-headers.7z"), out.path(), second, withPassword).result, S_OK);
    EXPECT_EQ(second.openResults, std::vector<HRESULT>{S_OK});
    EXPECT_TRUE(SameTree(ReadFolder(out.path()), Expected(L"basic")));
}

TEST(SevenZipExtract, MissingArchiveFailsWithTheEngineText) {
    TempFolder out;
    OnStack<FolderExtractCallback> callback;
    SilentOpenCallback openCallback;
    const FolderRun run = ExtractToFolder(DataPath(L"no-such.7z"), out.path(), callback, openCallback);
    EXPECT_TRUE(FAILED(run.result));
    EXPECT_NE(run.error.find(L"Cannot find archive file"), std::wstring::npos);
}

TEST(SevenZipExtract, AbortFromTheProgressCallbackStopsTheRun) {
    TempFolder out;
    OnStack<FolderExtractCallback> callback;
    callback.answerAtCompleted = E_ABORT;
    SilentOpenCallback openCallback;
    EXPECT_EQ(ExtractToFolder(DataPath(L"mt-lzma2.7z"), out.path(), callback, openCallback).result, E_ABORT);
}
