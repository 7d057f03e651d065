// The file device over real files under Wine: the failure table, reads and
// seeks, share modes, copies sharing one file, and the input stream.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <system_error>

#include <boost/exception/errinfo_api_function.hpp>
#include <boost/exception/get_error_info.hpp>

#include "riviru/errors/ErrorInfo.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/io/SystemFile.h"

namespace {

using riviru::FileDeviceBase;
using riviru::FileDeviceIn;
using riviru::FileException;
using riviru::FileOp;
using riviru::FileOpenMode;
using riviru::FileShareMode;

const std::string kContent = "Hello, file device!";  // 19 bytes

class FileDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ = std::wstring(temp) + L"sfx-filedevice-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount()) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << GetLastError();
    }

    void TearDown() override {
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileW((folder_ + L"*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name != L"." && name != L"..") DeleteFileW((folder_ + name).c_str());
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(folder_.c_str());
    }

    std::wstring Path(const std::wstring& name) const { return folder_ + name; }

    std::wstring MakeFile(const std::wstring& name, const std::string& content = kContent) const {
        const std::wstring path = Path(name);
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
        CloseHandle(file);
        return path;
    }

    static bool Exists(const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    static std::int64_t SizeOf(const std::wstring& path) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
        return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    static std::string ReadAll(FileDeviceIn<char>& device) {
        std::string all;
        char buffer[7];
        for (std::int64_t got; (got = device.read(buffer, sizeof buffer)) > 0;) {
            all.append(buffer, static_cast<std::size_t>(got));
        }
        return all;
    }

    std::wstring folder_;
};

// Runs f expecting a FileException; returns it.
template <class F>
FileException Failure(F f) {
    try {
        f();
    } catch (const FileException& e) {
        return e;
    }
    ADD_FAILURE() << "no FileException";
    return FileException("none", std::error_code());
}

TEST_F(FileDeviceTest, MissingFileFailsWithCodeTwoAndThePath) {
    const std::wstring path = Path(L"missing.txt");
    FileDeviceIn<char> device;
    const FileException error = Failure([&] { device.open(path, FileOpenMode::In, FileShareMode::Read); });
    EXPECT_EQ(error.code(), std::error_code(ERROR_FILE_NOT_FOUND, std::system_category()));
    EXPECT_EQ(std::string(error.what()).rfind("Could not open file: ", 0), 0u) << error.what();
    ASSERT_NE(boost::get_error_info<riviru::tag_errinfo_path>(error), nullptr);
    EXPECT_EQ(boost::get_error_info<riviru::tag_errinfo_path>(error)->native(), path);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_file_op>(error), FileOp::Open);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_openmode>(error), FileOpenMode::In);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_sharemode>(error), FileShareMode::Read);
    EXPECT_STREQ(*boost::get_error_info<boost::errinfo_api_function>(error), "CreateFile");
    EXPECT_FALSE(device.is_open());
}

TEST_F(FileDeviceTest, MissingFileDetailsNameCodeAndPath) {
    const std::wstring path = Path(L"missing.txt");
    try {
        FileDeviceIn<char> device;
        device.open(path, FileOpenMode::In, FileShareMode::Read);
        FAIL() << "opened a missing file";
    } catch (...) {
        const std::wstring details = riviru::ExceptionDetails();
        EXPECT_EQ(details.rfind(L"Could not open file.\n\nError details:\n", 0), 0u) << details;
        const std::wstring tail = L" (system:2)\n\nPath:\n'" + path + L"'";
        ASSERT_GE(details.size(), tail.size());
        EXPECT_EQ(details.substr(details.size() - tail.size()), tail) << details;
    }
}

TEST_F(FileDeviceTest, ReadOnlyTruncationFailsBeforeTouchingTheFile) {
    const std::wstring missing = Path(L"never-created.txt");
    FileDeviceBase<char> device;
    FileException error =
        Failure([&] { device.open(missing, FileOpenMode::In | FileOpenMode::Trunc, FileShareMode::Read); });
    EXPECT_EQ(error.code(), std::make_error_code(std::errc::invalid_argument));
    EXPECT_EQ(std::string(error.what()).rfind("Cannot truncate file that was opened in read-only mode: ", 0),
              0u);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_file_op>(error), FileOp::Open);
    EXPECT_EQ(boost::get_error_info<boost::errinfo_api_function>(error), nullptr);
    EXPECT_FALSE(Exists(missing));

    const std::wstring existing = MakeFile(L"kept.txt");
    error = Failure([&] { device.open(existing, FileOpenMode::Trunc, FileShareMode::Read); });
    EXPECT_EQ(error.code().value(), 22);
    EXPECT_EQ(SizeOf(existing), static_cast<std::int64_t>(kContent.size()));
    EXPECT_FALSE(device.is_open());
}

TEST_F(FileDeviceTest, ReadOnlyAppendFailsBeforeTouchingTheFile) {
    const std::wstring missing = Path(L"never-created.txt");
    FileDeviceIn<char> device;
    for (const FileOpenMode mode : {FileOpenMode::Ate, FileOpenMode::App}) {
        const FileException error = Failure([&] { device.open(missing, mode, FileShareMode::Read); });
        EXPECT_EQ(
            std::string(error.what()).rfind("Cannot append to file that was opened in read-only mode: ", 0),
            0u);
        EXPECT_EQ(error.code(), std::make_error_code(std::errc::invalid_argument));
        // FileDeviceIn added In to the mode.
        EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_openmode>(error), mode | FileOpenMode::In);
    }
    EXPECT_FALSE(Exists(missing));
}

TEST_F(FileDeviceTest, ReadsARealFileToTheEnd) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read);
    ASSERT_TRUE(device.is_open());
    EXPECT_EQ(device.file()->path.native(), path);
    EXPECT_EQ(device.file()->mode, FileOpenMode::In);
    EXPECT_EQ(device.file()->share, FileShareMode::Read);
    char buffer[64];
    EXPECT_EQ(device.read(buffer, sizeof buffer), static_cast<std::int64_t>(kContent.size()));
    EXPECT_EQ(std::string(buffer, kContent.size()), kContent);
    EXPECT_EQ(device.read(buffer, sizeof buffer), 0);
    EXPECT_EQ(device.read(buffer, 0), 0);
}

TEST_F(FileDeviceTest, FileNamesBeyondAscii) {
    const std::wstring path = MakeFile(L"Pr\u00FCfung-\u65E5\u672C.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read);
    EXPECT_EQ(ReadAll(device), kContent);
}

TEST_F(FileDeviceTest, SeeksFromEveryOrigin) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read);
    char buffer[4];
    EXPECT_EQ(device.seek(7, std::ios_base::beg), std::streampos(7));
    ASSERT_EQ(device.read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "file");
    EXPECT_EQ(device.seek(0, std::ios_base::cur), std::streampos(11));
    EXPECT_EQ(device.seek(-2, std::ios_base::cur), std::streampos(9));
    EXPECT_EQ(device.seek(-7, std::ios_base::end), std::streampos(12));
    ASSERT_EQ(device.read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "devi");
    // Beyond the end is allowed; reading there gives nothing.
    EXPECT_EQ(device.seek(100, std::ios_base::beg), std::streampos(100));
    EXPECT_EQ(device.read(buffer, 4), 0);

    const FileException error = Failure([&] { device.seek(-1, std::ios_base::beg); });
    EXPECT_EQ(error.code(), std::error_code(ERROR_NEGATIVE_SEEK, std::system_category()));
    EXPECT_EQ(std::string(error.what()).rfind("Could not seek in file: ", 0), 0u);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_file_op>(error), FileOp::Seek);
    EXPECT_STREQ(*boost::get_error_info<boost::errinfo_api_function>(error), "SetFilePointerEx");
    EXPECT_EQ(boost::get_error_info<riviru::tag_errinfo_path>(error)->native(), path);
}

TEST_F(FileDeviceTest, CountOfFourGiBFails) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read);
    char buffer[64];
    for (const std::int64_t count : {std::int64_t{0x100000000}, std::int64_t{-1}, INT64_MAX}) {
        const FileException error = Failure([&] { device.read(buffer, count); });
        EXPECT_EQ(std::string(error.what()).rfind("cannot read more than 4 GiB at once: ", 0), 0u) << count;
        EXPECT_EQ(error.code(), std::make_error_code(std::errc::invalid_argument));
        EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_file_op>(error), FileOp::Read);
        ASSERT_NE(boost::get_error_info<riviru::tag_errinfo_handle>(error), nullptr);
        EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_handle>(error),
                  reinterpret_cast<std::uintptr_t>(device.file()->handle));
        EXPECT_EQ(boost::get_error_info<boost::errinfo_api_function>(error), nullptr);
    }
    // The position did not move.
    EXPECT_EQ(device.seek(0, std::ios_base::cur), std::streampos(0));
}

TEST_F(FileDeviceTest, CountOneByteBelowFourGiBGoesToTheSystem) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read);
    char buffer[64];
    // The system may refuse a buffer that is not that large; the device must not.
    try {
        EXPECT_EQ(device.read(buffer, 0xFFFFFFFF), static_cast<std::int64_t>(kContent.size()));
    } catch (const FileException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Could not read file: ", 0), 0u) << e.what();
        EXPECT_EQ(e.code().category(), std::system_category());
        EXPECT_STREQ(*boost::get_error_info<boost::errinfo_api_function>(e), "ReadFile");
    }
}

TEST_F(FileDeviceTest, WriteOnlyFileCannotBeRead) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceBase<char> base;
    base.open(path, FileOpenMode::Out, FileShareMode::Read);
    // A reading device that shares the write-only file.
    struct Reader : FileDeviceIn<char> {
        explicit Reader(const FileDeviceBase<char>& other) : FileDeviceBase<char>(other) {}
    } reader(base);
    char buffer[4];
    const FileException error = Failure([&] { reader.read(buffer, 4); });
    EXPECT_EQ(
        std::string(error.what()).rfind("cannot read from file that was opened in write-only mode: ", 0), 0u);
    EXPECT_EQ(error.code().value(), 22);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_openmode>(error), FileOpenMode::Out);
    EXPECT_NE(boost::get_error_info<riviru::tag_errinfo_handle>(error), nullptr);
}

TEST_F(FileDeviceTest, OutWithoutTruncCreatesOrKeeps) {
    const std::wstring created = Path(L"created.txt");
    FileDeviceBase<char> device;
    device.open(created, FileOpenMode::Out, FileShareMode::None);
    EXPECT_TRUE(device.is_open());
    EXPECT_TRUE(device.flush());
    device.close();
    EXPECT_EQ(SizeOf(created), 0);

    const std::wstring existing = MakeFile(L"existing.txt");
    device.open(existing, FileOpenMode::Out, FileShareMode::None);
    device.close();
    EXPECT_EQ(SizeOf(existing), static_cast<std::int64_t>(kContent.size()));

    device.open(existing, FileOpenMode::Out | FileOpenMode::Trunc, FileShareMode::None);
    device.close();
    EXPECT_EQ(SizeOf(existing), 0);
}

TEST_F(FileDeviceTest, AteStartsAtTheEnd) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::Out | FileOpenMode::Ate, FileShareMode::Read);
    EXPECT_EQ(device.file()->mode, FileOpenMode::In | FileOpenMode::Out | FileOpenMode::Ate);
    EXPECT_EQ(device.seek(0, std::ios_base::cur),
              std::streampos(static_cast<std::streamoff>(kContent.size())));
    char buffer[4];
    EXPECT_EQ(device.read(buffer, 4), 0);
}

TEST_F(FileDeviceTest, ReadSharingRefusesWriters) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read);
    const HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    // Readers are welcome.
    FileDeviceIn<char> second;
    second.open(path, FileOpenMode::In, FileShareMode::Read);
    EXPECT_EQ(ReadAll(second), kContent);
}

TEST_F(FileDeviceTest, WriteSharingAdmitsWriters) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read | FileShareMode::Write);
    const HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE) << GetLastError();
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(FileDeviceTest, DeleteSharingAdmitsDeletion) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read);
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    device.open(path, FileOpenMode::In, FileShareMode::Read | FileShareMode::Delete);
    EXPECT_TRUE(DeleteFileW(path.c_str())) << GetLastError();
}

TEST_F(FileDeviceTest, ShareBitsAboveTheThreeAreIgnored) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, static_cast<FileShareMode>(0xF8u | 1u));
    EXPECT_EQ(ReadAll(device), kContent);
}

TEST_F(FileDeviceTest, OpenedFileRefusesTheDeviceWhenSharingForbidsIt) {
    const std::wstring path = MakeFile(L"content.txt");
    const HANDLE exclusive =
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    FileDeviceIn<char> device;
    const FileException error = Failure([&] { device.open(path, FileOpenMode::In, FileShareMode::Read); });
    EXPECT_EQ(error.code(), std::error_code(ERROR_SHARING_VIOLATION, std::system_category()));
    CloseHandle(exclusive);
}

TEST_F(FileDeviceTest, CopiesShareHandleAndPosition) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> first;
    first.open(path, FileOpenMode::In, FileShareMode::Read);
    FileDeviceIn<char> second = first;
    EXPECT_EQ(first.file(), second.file());
    char buffer[5];
    ASSERT_EQ(first.read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "Hello");
    ASSERT_EQ(second.read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), ", fil");

    const auto record = first.file();
    first.close();
    EXPECT_FALSE(first.is_open());
    ASSERT_TRUE(second.is_open());
    EXPECT_EQ(second.file(), record);
    ASSERT_EQ(second.read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "e dev");
}

TEST_F(FileDeviceTest, LastCopyClosesTheHandle) {
    const std::wstring path = MakeFile(L"content.txt");
    {
        FileDeviceIn<char> first;
        first.open(path, FileOpenMode::In, FileShareMode::Read);
        FileDeviceIn<char> second = first;
        first.close();
        // Still open: no exclusive access yet.
        const HANDLE exclusive = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(exclusive, INVALID_HANDLE_VALUE);
        if (exclusive != INVALID_HANDLE_VALUE) CloseHandle(exclusive);
    }
    const HANDLE exclusive =
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE) << GetLastError();
    if (exclusive != INVALID_HANDLE_VALUE) CloseHandle(exclusive);
}

TEST_F(FileDeviceTest, FailedOpenLeavesTheDeviceClosed) {
    const std::wstring path = MakeFile(L"content.txt");
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read);
    EXPECT_THROW(device.open(Path(L"missing.txt"), FileOpenMode::In, FileShareMode::Read), FileException);
    EXPECT_FALSE(device.is_open());
}

TEST_F(FileDeviceTest, ClosedDevicePassesTheInvalidHandleToTheSystem) {
    FileDeviceIn<char> device;
    FileException error = Failure([&] { device.seek(0, std::ios_base::beg); });
    EXPECT_EQ(error.code(), std::error_code(ERROR_INVALID_HANDLE, std::system_category()));
    EXPECT_EQ(std::string(error.what()).rfind("Could not seek in file: ", 0), 0u);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_handle>(error),
              reinterpret_cast<std::uintptr_t>(INVALID_HANDLE_VALUE));

    error = Failure([&] { device.flush(); });
    EXPECT_EQ(std::string(error.what()).rfind("Could not flush file: ", 0), 0u);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_file_op>(error), FileOp::Flush);
    EXPECT_STREQ(*boost::get_error_info<boost::errinfo_api_function>(error), "FlushFileBuffers");
    EXPECT_EQ(error.code().category(), std::system_category());

    // No file means no read access.
    char buffer[4];
    error = Failure([&] { device.read(buffer, 4); });
    EXPECT_EQ(
        std::string(error.what()).rfind("cannot read from file that was opened in write-only mode: ", 0), 0u);
}

TEST_F(FileDeviceTest, StreamReadsTheFile) {
    const std::wstring path = MakeFile(L"content.txt");
    riviru::FileInStream stream(path);
    ASSERT_TRUE(stream.is_open());
    const std::string all{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    EXPECT_EQ(all, kContent);
    stream.clear();
    stream.seekg(7);
    std::string word;
    stream >> word;
    EXPECT_EQ(word, "file");
    stream.seekg(-7, std::ios_base::end);
    stream >> word;
    EXPECT_EQ(word, "device!");
    EXPECT_EQ(stream->file()->share, FileShareMode::Read);
    EXPECT_EQ(stream->file()->mode, FileOpenMode::In);
}

TEST_F(FileDeviceTest, StreamOfAMissingFileThrows) {
    const std::wstring path = Path(L"missing.txt");
    try {
        riviru::FileInStream stream(path);
        FAIL() << "opened a missing file";
    } catch (const FileException& e) {
        EXPECT_EQ(e.code().value(), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(boost::get_error_info<riviru::tag_errinfo_path>(e)->native(), path);
    }
}

TEST_F(FileDeviceTest, StreamReopensAnotherFile) {
    const std::wstring one = MakeFile(L"one.txt", "one");
    const std::wstring two = MakeFile(L"two.txt", "two");
    riviru::FileInStream stream(one);
    std::string word;
    stream >> word;
    EXPECT_EQ(word, "one");
    stream.open(two);
    stream >> word;
    EXPECT_EQ(word, "two");
    stream.close();
    // The stream let the first file go.
    const HANDLE exclusive =
        CreateFileW(one.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE) << GetLastError();
    if (exclusive != INVALID_HANDLE_VALUE) CloseHandle(exclusive);
}

}  // namespace
