// The extraction worker against a real window on the test's thread: the
// window records every WM_SFX_ message and answers the sent ones as each test
// wants, the test pumps messages until the run's final message arrives. The
// archives come from tests/win/data/make-archives.sh (7zz at build time); the
// few special ones (a stub in front, stored entries, unknown methods, a broken
// CRC) are made here byte by byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/SevenZipEngine.h"  // first: it prepares <windows.h> for the engine's headers

#include "7zip/UI/Common/ExitCode.h"
#include "Common/MyException.h"
#include "Common/MyString.h"
#include "ExtractThread.h"
#include "ExtractionError.h"
#include "SfxMessages.h"
#include "riviru/win/UniqueResource.h"
#include "TestFileSystem.h"

namespace {

using test::Bytes;
using test::ReadAll;
using test::ReadTree;
using test::Tree;
using test::WriteAll;

const wchar_t kPassword[] = L"Secret-Pa55w0rd";
constexpr DWORD kRunTimeoutMs = 120000;

// ---- files ----

std::wstring Widen(const char* utf8) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), n);
    text.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
    return text;
}

std::string Narrow(const std::wstring& text) {  // for messages only
    std::string s;
    for (const wchar_t c : text) s += c < 0x80 ? static_cast<char>(c) : '?';
    return s;
}

std::wstring Normalized(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// A Linux path as Wine's drive Z: shows it; Windows paths pass unchanged.
std::wstring FromLinuxPath(const std::wstring& path) {
    return !path.empty() && path[0] == L'/' ? Normalized(L"Z:" + path) : path;
}

std::wstring DataPath(const std::wstring& name) {
    return FromLinuxPath(Widen(SFX_ENGINE_TEST_DATA) + L"/" + name);
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}




Tree ReadFolder(const std::wstring& dir) {
    Tree tree;
    ReadTree(dir, L"", tree);
    return tree;
}

Tree Expected(const std::wstring& set) {
    return ReadFolder(DataPath(L"expected/" + set + L"/"));
}

// Names what differs; never prints the contents, which can be megabytes.
::testing::AssertionResult SameTree(const Tree& actual, const Tree& expected) {
    std::string problems;
    for (const auto& [name, bytes] : expected.files) {
        const auto it = actual.files.find(name);
        if (it == actual.files.end())
            problems += " missing file " + Narrow(name) + ";";
        else if (it->second != bytes)
            problems += " " + Narrow(name) + " differs (" + std::to_string(it->second.size()) +
                        " bytes, expected " + std::to_string(bytes.size()) + ");";
    }
    for (const auto& entry : actual.files)
        if (!expected.files.count(entry.first)) problems += " unexpected file " + Narrow(entry.first) + ";";
    for (const auto& name : expected.folders)
        if (!actual.folders.count(name)) problems += " missing folder " + Narrow(name) + ";";
    for (const auto& name : actual.folders)
        if (!expected.folders.count(name)) problems += " unexpected folder " + Narrow(name) + ";";
    if (problems.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << problems;
}

using test::RemoveTree;

// A fresh, not yet existing folder name below base; everything below it is
// removed again at the end.
class TempFolder {
public:
    explicit TempFolder(std::wstring base = {}) {
        static std::atomic<unsigned> counter{0};
        if (base.empty()) {
            wchar_t temp[MAX_PATH];
            ::GetTempPathW(MAX_PATH, temp);
            base = temp;
        }
        if (base.back() != L'\\') base += L'\\';
        root_ = base + L"sfxextract-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter++) + L"\\";
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() { RemoveTree(root_); }

    const std::wstring& path() const { return root_; }  // with a trailing backslash
    void Create() const { ::CreateDirectoryW(root_.c_str(), nullptr); }

private:
    std::wstring root_;
};

// ---- 7z archives made here ----

std::uint32_t Crc32(const Bytes& bytes) {
    static std::uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : bytes) crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutLe(Bytes& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutNumber(Bytes& out, std::uint64_t value) {  // the 7z format's variable-length number
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x4000) {
        out += static_cast<char>(0x80 | (value >> 8));
        out += static_cast<char>(value & 0xFF);
    } else {
        out += static_cast<char>(0xFF);
        PutLe(out, value, 8);
    }
}

Bytes BitVector(const std::vector<bool>& bits) {
    Bytes out((bits.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i]) out[i / 8] = static_cast<char>(out[i / 8] | (0x80 >> (i % 8)));
    return out;
}

const Bytes kSignature("7z\xBC\xAF\x27\x1C", 6);

struct StoredEntry {
    std::wstring name;  // with '/' between folders
    bool folder = false;
    Bytes data;  // empty: an empty file
};

struct StoredArchiveOptions {
    Bytes coderId{'\0'};  // 0x00: the copy method
    bool breakCrc = false;
};

// A 7z archive whose files are stored, one folder (block) per non-empty file,
// with a plain (not packed) header.
Bytes MakeStoredArchive(const std::vector<StoredEntry>& entries, const StoredArchiveOptions& options = {}) {
    Bytes packed, header;
    std::vector<const StoredEntry*> streams;
    std::vector<bool> emptyStream, emptyFile;
    for (const StoredEntry& entry : entries) {
        const bool empty = entry.folder || entry.data.empty();
        emptyStream.push_back(empty);
        if (empty)
            emptyFile.push_back(!entry.folder);
        else
            streams.push_back(&entry);
    }
    header += '\x01';  // kHeader
    if (!streams.empty()) {
        header += '\x04';  // kMainStreamsInfo
        header += '\x06';  // kPackInfo
        PutNumber(header, 0);
        PutNumber(header, streams.size());
        header += '\x09';  // kSize
        for (const StoredEntry* entry : streams) {
            PutNumber(header, entry->data.size());
            packed += entry->data;
        }
        header += '\x00';
        header += '\x07';  // kUnpackInfo
        header += '\x0B';  // kFolder
        PutNumber(header, streams.size());
        header += '\x00';  // not external
        for (std::size_t i = 0; i < streams.size(); ++i) {
            header += '\x01';                                     // one coder
            header += static_cast<char>(options.coderId.size());  // simple coder, no properties
            header += options.coderId;
        }
        header += '\x0C';  // kCodersUnpackSize
        for (const StoredEntry* entry : streams) PutNumber(header, entry->data.size());
        header += '\x0A';  // kCRC
        header += '\x01';  // all defined
        for (const StoredEntry* entry : streams)
            PutLe(header, Crc32(entry->data) ^ (options.breakCrc ? 0x5A5A5A5Au : 0u), 4);
        header += '\x00';
        // Substreams: one per folder, their CRCs taken from the folders.
        header += '\x08';
        header += '\x00';
        header += '\x00';  // end of the streams info
    }
    header += '\x05';  // kFilesInfo
    PutNumber(header, entries.size());
    if (std::find(emptyStream.begin(), emptyStream.end(), true) != emptyStream.end()) {
        const Bytes streamBits = BitVector(emptyStream), fileBits = BitVector(emptyFile);
        header += '\x0E';  // kEmptyStream
        PutNumber(header, streamBits.size());
        header += streamBits;
        header += '\x0F';  // kEmptyFile
        PutNumber(header, fileBits.size());
        header += fileBits;
    }
    Bytes names;
    names += '\x00';  // not external
    for (const StoredEntry& entry : entries) {
        for (const wchar_t c : entry.name) PutLe(names, static_cast<std::uint16_t>(c), 2);
        PutLe(names, 0, 2);
    }
    header += '\x11';  // kName
    PutNumber(header, names.size());
    header += names;
    header += '\x00';  // end of the files info
    header += '\x00';  // end of the header

    Bytes startHeader;
    PutLe(startHeader, packed.size(), 8);  // next header offset
    PutLe(startHeader, header.size(), 8);
    PutLe(startHeader, Crc32(header), 4);
    Bytes archive = kSignature + Bytes("\x00\x04", 2);
    PutLe(archive, Crc32(startHeader), 4);
    return archive + startHeader + packed + header;
}

// The 7z signature with a start header whose CRC does not match, as the bytes
// of a program may happen to hold it.
Bytes FakeSignature() {
    Bytes fake = kSignature + Bytes("\x00\x04", 2);
    fake += Bytes("\x12\x34\x56\x78", 4);  // no CRC of what follows
    fake += Bytes(20, '\x01');
    return fake;
}

// The first mebibyte of this test program (a PE image), the stretch of its
// code that holds the 7z signature (the engine's own constant, as in the real
// stub) and a block in the manner of the package's configuration block.
Bytes StubPrefix() {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const Bytes image = ReadAll(self);
    Bytes prefix = image.substr(0, 1u << 20);
    const std::size_t signature = image.find(kSignature, prefix.size());
    if (signature != Bytes::npos) prefix += image.substr(signature - 2048, 4096);
    prefix += ";!@SfxConfigStart@!";
    for (int i = 0; i < 4096; ++i) prefix += static_cast<char>((i * 7919) & 0xFF);
    prefix += ";!@SfxConfigEnd@!";
    return prefix;
}

// Last-write time of a file or folder in 100 ns units; 0 when unknown.
std::uint64_t LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

std::uint64_t Now() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// ---- the window ----

struct ErrorCopy {
    ExtractionErrorKind kind = ExtractionErrorKind::BadArchive;
    std::uint32_t code = 0;
    std::wstring message;
    std::wstring item;
    std::uint64_t requiredSize = 0;
    bool watchedFolderExisted = false;
};

// A message-only window on the test's thread, standing in for the progress
// dialog: it records what reaches it and answers the questions.
class TestWindow {
public:
    TestWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ExtractThreadTestsWindow";
        ::RegisterClassW(&windowClass);  // fails harmlessly when already registered
        window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, this);
    }
    ~TestWindow() { ::DestroyWindow(window_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND get() const noexcept { return window_; }

    // Answers.
    LRESULT overwriteReply = 2;
    LRESULT passwordReply = 1;
    std::wstring passwordText;
    bool fillWholeBuffer = false;  // write capacity characters and no terminating zero
    std::function<void(std::uint32_t)> onProgress;
    std::function<void()> onPassword;
    std::wstring watchedFolder;  // whether it exists is noted at the error report

    // Records, in arrival order.
    std::vector<unsigned int> events;
    std::vector<std::uint32_t> progress;
    std::vector<std::wstring> overwriteQuestions;
    int passwordRequests = 0;
    LPARAM passwordCapacity = 0;
    std::vector<ErrorCopy> errors;
    bool foreignThread = false;  // a message was handled on another thread

    static bool IsFinal(unsigned int message) {
        return message == WM_SFX_EXTRACT_DONE || message == WM_SFX_EXTRACT_CANCELLED ||
               message == WM_SFX_EXTRACT_FAILED;
    }
    int FinalCount() const { return static_cast<int>(std::count_if(events.begin(), events.end(), IsFinal)); }
    // The events without progress and questions: the run's course.
    std::vector<unsigned int> Outline() const {
        std::vector<unsigned int> outline;
        for (const unsigned int message : events)
            if (message != WM_SFX_PROGRESS && message != WM_SFX_ASK_OVERWRITE &&
                message != WM_SFX_ASK_PASSWORD)
                outline.push_back(message);
        return outline;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message >= WM_SFX_START && message <= WM_SFX_ASK_PASSWORD) {
            try {
                return self->Handle(message, wParam, lParam);
            } catch (...) {
                ADD_FAILURE() << "exception in the test window";
                return 0;
            }
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        if (::GetCurrentThreadId() != ownerThread_) foreignThread = true;
        events.push_back(message);
        switch (message) {
            case WM_SFX_PROGRESS:
                progress.push_back(static_cast<std::uint32_t>(lParam));
                if (onProgress) onProgress(static_cast<std::uint32_t>(lParam));
                return 0;
            case WM_SFX_ASK_OVERWRITE:
                overwriteQuestions.push_back(reinterpret_cast<const wchar_t*>(lParam));
                return overwriteReply;
            case WM_SFX_ASK_PASSWORD: {
                ++passwordRequests;
                passwordCapacity = lParam;
                auto* buffer = reinterpret_cast<wchar_t*>(wParam);
                const std::size_t capacity = static_cast<std::size_t>(lParam);
                if (fillWholeBuffer) {
                    std::wmemset(buffer, L'p', capacity);
                } else {
                    const std::size_t length = std::min(passwordText.size(), capacity - 1);
                    std::wmemcpy(buffer, passwordText.c_str(), length);
                    buffer[length] = L'\0';
                }
                if (onPassword) onPassword();
                return passwordReply;
            }
            case WM_SFX_EXTRACT_ERROR: {
                const auto* error = reinterpret_cast<const ExtractionError*>(wParam);
                ErrorCopy copy;
                copy.kind = error->kind;
                copy.code = error->code;
                copy.message = error->message;
                copy.item = error->item;
                copy.requiredSize = error->requiredSize;
                copy.watchedFolderExisted = !watchedFolder.empty() && Exists(watchedFolder);
                errors.push_back(copy);
                return 0;
            }
            default:
                return 0;
        }
    }

    HWND window_ = nullptr;
    DWORD ownerThread_ = ::GetCurrentThreadId();
};

void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// Starts the worker with the test window and pumps messages until the final
// message has arrived and the thread has ended, within the time limit; then
// takes whatever else was posted, so a second final message would show.
::testing::AssertionResult RunToEnd(CExtractThread& worker, TestWindow& window, ExtractThreadParams params) {
    params.window = window.get();
    if (!worker.Start(params)) return ::testing::AssertionFailure() << "Start refused";
    const ULONGLONG deadline = ::GetTickCount64() + kRunTimeoutMs;
    while (window.FinalCount() == 0) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            worker.Stop(false);
            worker.Wait();
            PumpMessages();
            return ::testing::AssertionFailure() << "no final message within " << kRunTimeoutMs << " ms";
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
        PumpMessages();
    }
    worker.Wait();
    PumpMessages();
    if (window.foreignThread)
        return ::testing::AssertionFailure() << "a message was handled off the UI thread";
    if (window.FinalCount() != 1)
        return ::testing::AssertionFailure() << window.FinalCount() << " final messages instead of one";
    if (!TestWindow::IsFinal(window.events.back()))
        return ::testing::AssertionFailure() << "messages arrived after the final one";
    return ::testing::AssertionSuccess();
}

ExtractThreadParams Params(const std::wstring& archive, const std::wstring& dir, bool deleteOnFailure) {
    ExtractThreadParams params;
    params.archivePath = archive;
    params.extractDir = dir;
    params.deleteOnFailure = deleteOnFailure;
    return params;
}

using Outline = std::vector<unsigned int>;
const Outline kDone{WM_SFX_EXTRACT_DONE};
const Outline kCancelled{WM_SFX_EXTRACT_CANCELLED};
const Outline kCancelledAndDeleted{WM_SFX_DELETING, WM_SFX_EXTRACT_CANCELLED};
const Outline kFailed{WM_SFX_EXTRACT_ERROR, WM_SFX_EXTRACT_FAILED};
const Outline kFailedAndDeleted{WM_SFX_EXTRACT_ERROR, WM_SFX_DELETING, WM_SFX_EXTRACT_FAILED};

::testing::AssertionResult Monotonic(const std::vector<std::uint32_t>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] > 1000) return ::testing::AssertionFailure() << "value " << values[i] << " at " << i;
        if (i > 0 && values[i] < values[i - 1])
            return ::testing::AssertionFailure() << values[i - 1] << " then " << values[i] << " at " << i;
    }
    return ::testing::AssertionSuccess();
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(Normalized(a).c_str(), -1, Normalized(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A folder with the files of lzma2.7z in it, two of them changed.
void PrepareChangedCopy(const std::wstring& dir) {
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"lzma2.7z"), dir, false)));
    ASSERT_EQ(window.Outline(), kDone);
    WriteAll(dir + L"text.txt", "changed text");
    WriteAll(dir + L"code.bin", "changed code");
}

}  // namespace

// ---- success ----

TEST(ExtractThread, ExtractsByteExactlyWithMonotonicProgressEndingAt1000) {
    TempFolder out;
    const std::wstring dir = out.path() + L"new\\deeper\\";  // missing parents are created
    CExtractThread worker;
    TestWindow window;
    const std::uint64_t start = Now();
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"lzma2.7z"), dir, true)));
    // Every extracted file carries the time of its extraction, in whole seconds.
    for (const wchar_t* name : {L"text.txt", L"code.bin", L"sub\\nested.txt"}) {
        const std::uint64_t written = LastWriteTime(dir + name);
        EXPECT_EQ(written % 10000000u, 0u) << Narrow(name);
        EXPECT_GE(written + 10000000u, start) << Narrow(name);
        EXPECT_LE(written, Now()) << Narrow(name);
    }
    EXPECT_EQ(window.Outline(), kDone);
    EXPECT_TRUE(SameTree(ReadFolder(dir), Expected(L"basic")));
    ASSERT_FALSE(window.progress.empty());
    EXPECT_TRUE(Monotonic(window.progress));
    EXPECT_EQ(window.progress.back(), 1000u);
    EXPECT_TRUE(window.overwriteQuestions.empty());
    EXPECT_EQ(window.passwordRequests, 0);
    std::printf("[   INFO   ] lzma2.7z: %u progress messages\n",
                static_cast<unsigned>(window.progress.size()));
}

TEST(ExtractThread, EveryCodecArchiveExtractsThroughTheWorker) {
    for (const wchar_t* name : {L"lzma.7z", L"ppmd.7z", L"bcj2.7z", L"arm64.7z", L"delta.7z", L"copy.7z",
                                L"solid.7z", L"nonsolid.7z"}) {
        SCOPED_TRACE(Narrow(name));
        TempFolder out;
        CExtractThread worker;
        TestWindow window;
        ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(name), out.path(), true)));
        EXPECT_EQ(window.Outline(), kDone);
        EXPECT_TRUE(SameTree(ReadFolder(out.path()), Expected(L"basic")));
        EXPECT_TRUE(Monotonic(window.progress));
        ASSERT_FALSE(window.progress.empty());
        EXPECT_EQ(window.progress.back(), 1000u);
    }
}

TEST(ExtractThread, RecordsEntriesInEngineOrderWithFoldersEndingInABackslash) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"special.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kDone);
    const Tree expected = Expected(L"special");
    EXPECT_TRUE(SameTree(ReadFolder(out.path()), expected));

    const std::vector<std::wstring>& entries = worker.GetExtractedEntries();
    const std::set<std::wstring> recorded(entries.begin(), entries.end());
    EXPECT_EQ(entries.size(), expected.files.size() + expected.folders.size());
    for (const auto& folder : expected.folders) EXPECT_TRUE(recorded.count(folder + L"\\")) << Narrow(folder);
    for (const auto& file : expected.files) EXPECT_TRUE(recorded.count(file.first)) << Narrow(file.first);
    EXPECT_TRUE(recorded.count(L"emptydir\\"));
    EXPECT_TRUE(recorded.count(Widen("日本語\\ファイル.txt")));
}

TEST(ExtractThread, ArchiveOfEmptyEntriesOnlySendsNoProgress) {
    TempFolder out;
    out.Create();
    const std::wstring archive = out.path() + L"empty.7z";
    WriteAll(archive,
             MakeStoredArchive({{L"docs", true, {}}, {L"empty.txt", false, {}}, {L"docs/inner", true, {}}}));
    const std::wstring dir = out.path() + L"out\\";
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(archive, dir, true)));
    EXPECT_EQ(window.Outline(), kDone);
    EXPECT_TRUE(window.progress.empty());  // the total is 0
    EXPECT_EQ(worker.GetExtractedEntries(),
              (std::vector<std::wstring>{L"docs\\", L"empty.txt", L"docs\\inner\\"}));
    EXPECT_TRUE(IsFolder(dir + L"docs\\inner"));
    EXPECT_TRUE(Exists(dir + L"empty.txt"));
    EXPECT_EQ(ReadAll(dir + L"empty.txt"), "");
}

TEST(ExtractThread, FindsTheArchiveBehindAStubAndSkipsAFakeSignature) {
    TempFolder out;
    out.Create();
    const Bytes prefix = StubPrefix();
    ASSERT_EQ(prefix.substr(0, 2), "MZ");
    // The program's own bytes hold the signature (the engine's constant), and
    // one more comes right in front of the real archive.
    EXPECT_NE(prefix.find(kSignature), Bytes::npos);
    const std::wstring package = out.path() + L"package.exe";
    WriteAll(package, prefix + FakeSignature() + ReadAll(DataPath(L"lzma2.7z")));
    const std::wstring dir = out.path() + L"out\\";
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(package, dir, true)));
    EXPECT_EQ(window.Outline(), kDone);
    EXPECT_TRUE(SameTree(ReadFolder(dir), Expected(L"basic")));
    ASSERT_FALSE(window.progress.empty());
    EXPECT_EQ(window.progress.back(), 1000u);
}

TEST(ExtractThread, ArchiveMoreThan8MiBBehindTheStartIsNotFound) {
    // The engine looks for the signature in the first 8 MiB of the file only.
    TempFolder out;
    out.Create();
    const std::wstring package = out.path() + L"far.exe";
    WriteAll(package, Bytes((8u << 20) + 4096, '\0') + ReadAll(DataPath(L"lzma2.7z")));
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(package, out.path() + L"out\\", true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::SystemError);
    EXPECT_EQ(window.errors[0].code, 1u);  // S_FALSE: no archive
}

TEST(ExtractThread, ANewRunAfterAFailureStartsAfreshAndEntriesKeepGrowing) {
    TempFolder first, second;
    CExtractThread worker;
    {
        TestWindow window;
        ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"damaged.7z"), first.path(), true)));
        EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    }
    const std::size_t afterFirst = worker.GetExtractedEntries().size();
    EXPECT_GT(afterFirst, 0u);
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"lzma2.7z"), second.path(), true)));
    EXPECT_EQ(window.Outline(), kDone);
    EXPECT_TRUE(SameTree(ReadFolder(second.path()), Expected(L"basic")));
    EXPECT_EQ(worker.GetExtractedEntries().size(),
              afterFirst + Expected(L"basic").files.size() + 1);  // + sub\ .
    EXPECT_FALSE(Exists(first.path()));
}

TEST(ExtractThread, StartWhileARunGoesOnIsRefused) {
    TempFolder out, other;
    CExtractThread worker;
    TestWindow window;
    window.passwordText = kPassword;
    bool refused = false;
    window.onPassword = [&] {
        // The worker waits for this answer, so it certainly still runs.
        refused = !worker.Start(Params(DataPath(L"lzma2.7z"), other.path(), true));
    };
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"aes.7z"), out.path(), true)));
    EXPECT_TRUE(refused);
    EXPECT_EQ(window.Outline(), kDone);
    EXPECT_TRUE(SameTree(ReadFolder(out.path()), Expected(L"basic")));  // the first parameters stayed
    EXPECT_FALSE(Exists(other.path()));
}

// ---- overwrite question ----

struct OverwriteCase {
    LRESULT reply;
    std::size_t questions;  // for the two changed files of the 5 entries
    bool replaced;
    bool cancelled;
};

class ExtractThreadOverwrite : public ::testing::TestWithParam<OverwriteCase> {};

TEST_P(ExtractThreadOverwrite, ReplyDecidesForTheExistingFiles) {
    const OverwriteCase& c = GetParam();
    TempFolder out;
    ASSERT_NO_FATAL_FAILURE(PrepareChangedCopy(out.path()));
    // Also the unchanged files exist, so every file is asked about unless an
    // "all" answer or a cancel ends the questions.
    const std::size_t files = Expected(L"basic").files.size();

    CExtractThread worker;
    TestWindow window;
    window.overwriteReply = c.reply;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"lzma2.7z"), out.path(), false)));
    EXPECT_EQ(window.Outline(), c.cancelled ? kCancelled : kDone);
    EXPECT_EQ(window.overwriteQuestions.size(), c.questions == 0 ? files : c.questions);
    ASSERT_FALSE(window.overwriteQuestions.empty());
    // The question names the existing file with its full path.
    bool namesAFile = false;
    for (const auto& name : {L"text.txt", L"code.bin", L"random.bin", L"sub\\nested.txt"})
        namesAFile = namesAFile || SamePath(window.overwriteQuestions[0], out.path() + name);
    EXPECT_TRUE(namesAFile) << Narrow(window.overwriteQuestions[0]);

    if (c.replaced) {
        EXPECT_TRUE(SameTree(ReadFolder(out.path()), Expected(L"basic")));
    } else {
        EXPECT_EQ(ReadAll(out.path() + L"text.txt"), "changed text");
        EXPECT_EQ(ReadAll(out.path() + L"code.bin"), "changed code");
    }
    if (c.cancelled) {
        EXPECT_TRUE(IsFolder(out.path()));  // no removal without deleteOnFailure
    }
}

INSTANTIATE_TEST_SUITE_P(
    ExtractThread, ExtractThreadOverwrite,
    ::testing::Values(OverwriteCase{0, 0, true, false},   // yes: asked for each, each replaced
                      OverwriteCase{1, 1, true, false},   // yes to all: asked once
                      OverwriteCase{2, 0, false, false},  // no: asked for each, each kept
                      OverwriteCase{3, 1, false, false},  // no to all: asked once
                      OverwriteCase{4, 1, false, true},   // cancel
                      OverwriteCase{5, 0, false, false},  // anything else is no
                      OverwriteCase{-1, 0, false, false}),
    [](const ::testing::TestParamInfo<OverwriteCase>& test) {
        return "Reply" + std::string(test.param.reply < 0 ? "Minus" : "") +
               std::to_string(test.param.reply < 0 ? -test.param.reply : test.param.reply);
    });

TEST(ExtractThread, OverwriteCancelRemovesTheFolderWhenAsked) {
    TempFolder out;
    ASSERT_NO_FATAL_FAILURE(PrepareChangedCopy(out.path()));
    CExtractThread worker;
    TestWindow window;
    window.overwriteReply = 4;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"lzma2.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kCancelledAndDeleted);
    EXPECT_TRUE(window.errors.empty());
    EXPECT_FALSE(Exists(out.path()));
}

// ---- stop request ----

TEST(ExtractThread, StopRequestTakesEffectAtTheNextProgressCallAndRemovesTheFolder) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    window.onProgress = [&](std::uint32_t) { worker.Stop(false); };  // as the dialog's confirmed cancel
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"mt-lzma2.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kCancelledAndDeleted);
    // The progress call that saw the request was the last one.
    EXPECT_EQ(window.progress.size(), 1u);
    EXPECT_LT(window.progress[0], 1000u);
    EXPECT_TRUE(window.errors.empty());
    EXPECT_FALSE(Exists(out.path()));
}

TEST(ExtractThread, StopRequestWithoutDeleteOnFailureKeepsWhatWasExtracted) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    window.onProgress = [&](std::uint32_t) { worker.Stop(false); };
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"mt-lzma2.7z"), out.path(), false)));
    EXPECT_EQ(window.Outline(), kCancelled);
    EXPECT_TRUE(IsFolder(out.path()));
}

// ---- failures ----

TEST(ExtractThread, DamagedArchiveIsABadArchiveAndTheFolderGoesAfterTheReport) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    window.watchedFolder = out.path();
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"damaged.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    ASSERT_EQ(window.errors.size(), 1u);
    const ErrorCopy& error = window.errors[0];
    EXPECT_EQ(error.kind, ExtractionErrorKind::BadArchive);
    EXPECT_TRUE(error.code == 0x8007000Du || error.code == 0x80070017u) << std::hex << error.code;
    EXPECT_TRUE(error.message.empty());
    EXPECT_TRUE(error.item.empty());
    EXPECT_EQ(error.requiredSize, 0u);
    EXPECT_TRUE(error.watchedFolderExisted);  // removed only after the report
    EXPECT_FALSE(Exists(out.path()));
}

TEST(ExtractThread, CrcMismatchIsABadArchiveWithTheCrcCode) {
    TempFolder out;
    out.Create();
    const std::wstring archive = out.path() + L"crc.7z";
    StoredArchiveOptions options;
    options.breakCrc = true;
    WriteAll(archive,
             MakeStoredArchive({{L"stored.txt", false, "A stored entry with a wrong CRC.\n"}}, options));
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(archive, out.path() + L"out\\", true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::BadArchive);
    EXPECT_EQ(window.errors[0].code, 0x80070017u);
    EXPECT_FALSE(Exists(out.path() + L"out\\"));
}

TEST(ExtractThread, StoredEntriesOfAHandMadeArchiveExtract) {
    TempFolder out;
    out.Create();
    const std::wstring archive = out.path() + L"stored.7z";
    WriteAll(archive, MakeStoredArchive({{L"docs", true, {}},
                                         {L"docs/readme.txt", false, "Read me.\n"},
                                         {L"setup.ini", false, "[main]\nvalue=1\n"}}));
    const std::wstring dir = out.path() + L"out\\";
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(archive, dir, true)));
    EXPECT_EQ(window.Outline(), kDone);
    EXPECT_EQ(ReadAll(dir + L"docs\\readme.txt"), "Read me.\n");
    EXPECT_EQ(ReadAll(dir + L"setup.ini"), "[main]\nvalue=1\n");
    EXPECT_EQ(worker.GetExtractedEntries(),
              (std::vector<std::wstring>{L"docs\\", L"docs\\readme.txt", L"setup.ini"}));
    ASSERT_FALSE(window.progress.empty());
    EXPECT_EQ(window.progress.back(), 1000u);
}

TEST(ExtractThread, UnsupportedMethodIsASystemErrorNotImplemented) {
    TempFolder out;
    out.Create();
    const std::wstring archive = out.path() + L"unknown-method.7z";
    StoredArchiveOptions options;
    options.coderId = Bytes("\x0A\x0B\x0C\x0D", 4);
    WriteAll(archive,
             MakeStoredArchive({{L"stored.txt", false, "Packed by a method nobody knows.\n"}}, options));
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(archive, out.path() + L"out\\", true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::SystemError);
    EXPECT_EQ(window.errors[0].code, 0x80004001u);  // E_NOTIMPL
    EXPECT_EQ(window.errors[0].item, L"stored.txt");
}

TEST(ExtractThread, MessageErrorTextWinsOverTheCode) {
    // A folder holds the name of a file of the archive; the engine cannot
    // replace it and says so through MessageError.
    TempFolder out;
    out.Create();
    ASSERT_TRUE(::CreateDirectoryW((out.path() + L"text.txt").c_str(), nullptr));
    WriteAll(out.path() + L"text.txt\\keep.me", "not empty");
    CExtractThread worker;
    TestWindow window;
    window.overwriteReply = 0;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"lzma2.7z"), out.path(), false)));
    EXPECT_EQ(window.Outline(), kFailed);
    ASSERT_EQ(window.errors.size(), 1u);
    const ErrorCopy& error = window.errors[0];
    EXPECT_EQ(error.kind, ExtractionErrorKind::EngineError);
    EXPECT_EQ(error.code, 0u);
    EXPECT_NE(error.message.find(L"text.txt"), std::wstring::npos) << Narrow(error.message);
    EXPECT_TRUE(error.item.empty());
    std::printf("[   INFO   ] %s\n", Narrow(error.message).c_str());
}

TEST(ExtractThread, LockedReadOnlyFileGivesTheEngineText) {
    TempFolder out;
    ASSERT_NO_FATAL_FAILURE(PrepareChangedCopy(out.path()));
    const std::wstring locked = out.path() + L"text.txt";
    ASSERT_TRUE(::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    riviru::win::unique_file holder(::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    CExtractThread worker;
    TestWindow window;
    window.overwriteReply = 1;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"lzma2.7z"), out.path(), false)));
    EXPECT_EQ(window.Outline(), kFailed);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::EngineError);
    EXPECT_NE(window.errors[0].message.find(L"text.txt"), std::wstring::npos)
        << Narrow(window.errors[0].message);
    std::printf("[   INFO   ] %s\n", Narrow(window.errors[0].message).c_str());
    holder.reset();
    ::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadAll(locked), "changed text");
}

TEST(ExtractThread, OutputFolderNamingAFileIsASystemErrorForThatFolder) {
    TempFolder out;
    out.Create();
    const std::wstring file = out.path() + L"occupied";
    WriteAll(file, "a file, not a folder");
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"lzma2.7z"), file + L"\\", true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    ASSERT_EQ(window.errors.size(), 1u);
    const ErrorCopy& error = window.errors[0];
    EXPECT_EQ(error.kind, ExtractionErrorKind::SystemError);
    EXPECT_NE(error.code, 0u);
    EXPECT_LE(error.code, 0xFFFFu) << "a Win32 error code, not an HRESULT";
    EXPECT_EQ(error.item, file + L"\\");
    EXPECT_EQ(ReadAll(file), "a file, not a folder");  // the clean-up removes no file
    EXPECT_TRUE(worker.GetExtractedEntries().empty());
    std::printf("[   INFO   ] folder creation over a file: error %u\n", static_cast<unsigned>(error.code));
}

// A normal run's folder was made by the run: the worker neither creates a
// missing one nor extracts into a file in its place.
TEST(ExtractThread, FolderMadeByTheRunIsNeverCreatedOrReplaced) {
    TempFolder out;
    out.Create();
    const std::wstring file = out.path() + L"occupied";
    WriteAll(file, "a file, not a folder");
    const std::wstring missing = out.path() + L"missing\\";
    for (const std::wstring& dir : {missing, file + L"\\"}) {
        CExtractThread worker;
        TestWindow window;
        ExtractThreadParams params = Params(DataPath(L"lzma2.7z"), dir, true);
        params.folderCreated = true;
        ASSERT_TRUE(RunToEnd(worker, window, params));
        EXPECT_EQ(window.Outline(), kFailedAndDeleted);
        ASSERT_EQ(window.errors.size(), 1u);
        EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::SystemError);
        EXPECT_EQ(window.errors[0].code, static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)));
        EXPECT_EQ(window.errors[0].item, dir);
        EXPECT_TRUE(worker.GetExtractedEntries().empty());
    }
    EXPECT_FALSE(IsFolder(missing));
    EXPECT_EQ(ReadAll(file), "a file, not a folder");
}

TEST(ExtractThread, MissingArchiveIsAnEngineErrorWithTheEngineText) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"no-such.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::EngineError);
    EXPECT_NE(window.errors[0].message.find(L"no-such.7z"), std::wstring::npos);
    EXPECT_TRUE(window.errors[0].item.empty());
    EXPECT_FALSE(Exists(out.path()));
    std::printf("[   INFO   ] %s\n", Narrow(window.errors[0].message).c_str());
}

TEST(ExtractThread, ArchivePathNamingAFolderIsAnEngineError) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"expected"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::EngineError);
    EXPECT_FALSE(window.errors[0].message.empty());
    std::printf("[   INFO   ] %s\n", Narrow(window.errors[0].message).c_str());
}

TEST(ExtractThread, FileThatIsNoArchiveIsASystemErrorOfTheOpen) {
    TempFolder out;
    out.Create();
    const std::wstring archive = out.path() + L"plain.bin";
    WriteAll(archive, Bytes(100000, 'x'));
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(archive, out.path() + L"out\\", true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::SystemError);
    EXPECT_EQ(window.errors[0].code, 1u);  // S_FALSE, the engine's "not an archive"
}

// ---- password ----

TEST(ExtractThread, PasswordReplyOneWithTheRightPasswordExtracts) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    window.passwordText = kPassword;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"aes.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kDone);
    EXPECT_EQ(window.passwordRequests, 1);  // asked once, then reused
    EXPECT_EQ(window.passwordCapacity, 1024);
    EXPECT_TRUE(SameTree(ReadFolder(out.path()), Expected(L"basic")));
}

TEST(ExtractThread, PasswordReplyZeroCancels) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    window.passwordText = kPassword;  // in the buffer, but not confirmed
    window.passwordReply = 0;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"aes.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kCancelledAndDeleted);
    EXPECT_EQ(window.passwordRequests, 1);
    EXPECT_TRUE(window.errors.empty());
    EXPECT_FALSE(Exists(out.path()));
}

TEST(ExtractThread, PasswordDialogCancelValueTwoCancels) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    window.passwordReply = 2;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"aes.7z"), out.path(), false)));
    EXPECT_EQ(window.Outline(), kCancelled);
}

TEST(ExtractThread, WrongPasswordIsABadArchive) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    window.passwordText = L"wrong";
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"aes.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    EXPECT_EQ(window.passwordRequests, 1);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::BadArchive);
    EXPECT_TRUE(window.errors[0].code == 0x8007000Du || window.errors[0].code == 0x80070017u)
        << std::hex << window.errors[0].code;
}

TEST(ExtractThread, PasswordFillingTheWholeBufferIsCutInsideIt) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    window.fillWholeBuffer = true;  // no terminating zero: the worker must not read past the buffer
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"aes.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);  // a wrong password, nothing worse
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::BadArchive);
}

TEST(ExtractThread, EncryptedHeadersCannotBeOpenedAndNoPasswordIsAsked) {
    TempFolder out;
    CExtractThread worker;
    TestWindow window;
    window.passwordText = kPassword;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"aes-headers.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kFailedAndDeleted);
    EXPECT_EQ(window.passwordRequests, 0);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].kind, ExtractionErrorKind::SystemError);
    EXPECT_NE(window.errors[0].code, 0u);
    EXPECT_TRUE(window.errors[0].message.empty());
    EXPECT_FALSE(Exists(out.path()));
    std::printf("[   INFO   ] encrypted headers: code 0x%08X\n",
                static_cast<unsigned>(window.errors[0].code));
}

// ---- free space ----

// Needs a small file system: SFX_SMALL_FS names a folder on it (a Linux path,
// seen through drive Z:, or a Windows path), for instance a 4 MiB tmpfs.
TEST(ExtractThread, NotEnoughFreeSpaceIsDiskFullWithTheRequiredSize) {
    wchar_t value[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"SFX_SMALL_FS", value, MAX_PATH) == 0)
        GTEST_SKIP() << "SFX_SMALL_FS is not set: it names a folder on a small file system "
                        "(mount -t tmpfs -o size=4m tmpfs DIR), which this test needs";
    const std::wstring base = FromLinuxPath(value);
    ULARGE_INTEGER available{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(base.c_str(), &available, nullptr, nullptr)) << Narrow(base);
    const std::uint64_t bigTotal = 8u << 20;  // mt-lzma2.7z unpacks to 8 MiB
    if (available.QuadPart >= bigTotal + (1u << 20))
        GTEST_SKIP() << Narrow(base) << " has " << available.QuadPart << " bytes free, more than 9 MiB";

    {
        TempFolder out(base);
        CExtractThread worker;
        TestWindow window;
        ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"mt-lzma2.7z"), out.path(), true)));
        EXPECT_EQ(window.Outline(), kFailedAndDeleted);
        ASSERT_EQ(window.errors.size(), 1u);
        const ErrorCopy& error = window.errors[0];
        EXPECT_EQ(error.kind, ExtractionErrorKind::SystemError);
        EXPECT_EQ(error.code, 0x80070070u);
        EXPECT_EQ(error.requiredSize, bigTotal);
        EXPECT_TRUE(error.item.empty());  // no entry was prepared yet
        EXPECT_TRUE(window.progress.empty());
        EXPECT_FALSE(Exists(out.path()));
    }
    // What fits with a mebibyte to spare is extracted on the same file system.
    const Tree basic = Expected(L"basic");
    std::uint64_t basicTotal = 0;
    for (const auto& file : basic.files) basicTotal += file.second.size();
    if (available.QuadPart < basicTotal + (1u << 20) + (256u << 10))
        GTEST_SKIP() << "too small for the second half: " << available.QuadPart << " bytes free";
    TempFolder out(base);
    CExtractThread worker;
    TestWindow window;
    ASSERT_TRUE(RunToEnd(worker, window, Params(DataPath(L"lzma2.7z"), out.path(), true)));
    EXPECT_EQ(window.Outline(), kDone);
    EXPECT_TRUE(SameTree(ReadFolder(out.path()), basic));
}

// ---- the classification of what the engine throws ----

namespace {

struct Described {
    bool reported = false;
    ExtractionError error;
};

template <typename Raise>
Described DescribeThrown(Raise raise) {
    Described described;
    try {
        raise();
    } catch (...) {
        described.reported = DescribeExtractionException(described.error, L"sub\\item.txt", 4242);
    }
    return described;
}

}  // namespace

TEST(ExtractThreadClassification, AbortIsACancelWithoutReport) {
    EXPECT_FALSE(DescribeThrown([] { throw CSystemException(E_ABORT); }).reported);
}

TEST(ExtractThreadClassification, InvalidDataAndCrcErrorsAreBadArchives) {
    for (const HRESULT code : {static_cast<HRESULT>(0x8007000D), static_cast<HRESULT>(0x80070017)}) {
        const Described d = DescribeThrown([code] { throw CSystemException(code); });
        EXPECT_TRUE(d.reported);
        EXPECT_EQ(d.error.kind, ExtractionErrorKind::BadArchive);
        EXPECT_EQ(d.error.code, static_cast<std::uint32_t>(code));
        EXPECT_TRUE(d.error.item.empty());
        EXPECT_TRUE(d.error.message.empty());
        EXPECT_EQ(d.error.requiredSize, 0u);
    }
}

TEST(ExtractThreadClassification, OtherSystemExceptionsNameTheItem) {
    const Described denied = DescribeThrown([] { throw CSystemException(E_ACCESSDENIED); });
    EXPECT_TRUE(denied.reported);
    EXPECT_EQ(denied.error.kind, ExtractionErrorKind::SystemError);
    EXPECT_EQ(denied.error.code, static_cast<std::uint32_t>(E_ACCESSDENIED));
    EXPECT_EQ(denied.error.item, L"sub\\item.txt");
    EXPECT_EQ(denied.error.requiredSize, 0u);

    const Described full = DescribeThrown([] { throw CSystemException(static_cast<HRESULT>(0x80070070)); });
    EXPECT_EQ(full.error.kind, ExtractionErrorKind::SystemError);
    EXPECT_EQ(full.error.requiredSize, 4242u);  // only disk full carries the size

    const Described win32 = DescribeThrown([] { throw CSystemException(ERROR_ALREADY_EXISTS); });
    EXPECT_EQ(win32.error.kind, ExtractionErrorKind::SystemError);
    EXPECT_EQ(win32.error.code, 183u);
}

TEST(ExtractThreadClassification, EngineNumbersAndTextsAreEngineErrors) {
    const Described exitCode = DescribeThrown([] { throw NExitCode::kMemoryError; });
    EXPECT_EQ(exitCode.error.kind, ExtractionErrorKind::EngineError);
    EXPECT_EQ(exitCode.error.code, 8u);
    EXPECT_TRUE(exitCode.error.message.empty());
    EXPECT_TRUE(exitCode.error.item.empty());

    const Described number = DescribeThrown([] { throw 42; });
    EXPECT_EQ(number.error.kind, ExtractionErrorKind::EngineError);
    EXPECT_EQ(number.error.code, 42u);

    const Described wide = DescribeThrown([] { throw UString(L"Gr\u00FC\u00DFe from the engine"); });
    EXPECT_EQ(wide.error.kind, ExtractionErrorKind::EngineError);
    EXPECT_EQ(wide.error.message, L"Gr\u00FC\u00DFe from the engine");
    EXPECT_EQ(wide.error.code, 0u);

    const Described narrow = DescribeThrown([] { throw AString("can't decompress folder"); });
    EXPECT_EQ(narrow.error.kind, ExtractionErrorKind::EngineError);
    EXPECT_EQ(narrow.error.message, L"can't decompress folder");

    const Described literal = DescribeThrown([] { throw "there is no such archive"; });
    EXPECT_EQ(literal.error.kind, ExtractionErrorKind::EngineError);
    EXPECT_EQ(literal.error.message, L"there is no such archive");
}

TEST(ExtractThreadClassification, OtherExceptionsStillGiveOneEngineErrorReport) {
    const Described memory = DescribeThrown([] { throw std::bad_alloc(); });
    EXPECT_TRUE(memory.reported);
    EXPECT_EQ(memory.error.kind, ExtractionErrorKind::EngineError);
    EXPECT_FALSE(memory.error.message.empty());

    const Described standard = DescribeThrown([] { throw std::runtime_error("disk went away"); });
    EXPECT_TRUE(standard.reported);
    EXPECT_EQ(standard.error.kind, ExtractionErrorKind::EngineError);
    EXPECT_NE(standard.error.message.find(L"went away"), std::wstring::npos)
        << Narrow(standard.error.message);

    const Described unknown = DescribeThrown([] { throw 2.5; });
    EXPECT_TRUE(unknown.reported);
    EXPECT_EQ(unknown.error.kind, ExtractionErrorKind::EngineError);
    EXPECT_FALSE(unknown.error.message.empty());
}
