// Error details with the real system message table, under Wine.
// Wine's message texts differ from Windows' ("Access denied." against "Access
// is denied."), so expectations take the text from FormatMessageW itself and
// pin only the layout around it.
#include <windows.h>

#include <gtest/gtest.h>

#include <exception>
#include <ios>
#include <stdexcept>
#include <string>
#include <system_error>

#include <boost/exception/info.hpp>
#include <boost/filesystem/exception.hpp>
#include <boost/system/system_error.hpp>

#include "riviru/errors/ErrorCodeMessage.h"
#include "riviru/errors/ErrorInfo.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/errors/FormatErrorText.h"
#include "riviru/errors/SystemMessage.h"

namespace {

// The system's text straight from FormatMessageW, without its line end.
std::wstring RawSystemMessage(DWORD code) {
    wchar_t buffer[1024];
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, 1024, nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

// Shaped like the file device's FileException.
struct TestFileException : std::ios_base::failure, virtual boost::exception {
    TestFileException(const std::string& message, const std::error_code& code) : failure(message, code) {}
};

template <class E>
std::wstring DetailsOf(const E& error, int level = 0) {
    try {
        throw error;
    } catch (...) {
        return riviru::ExceptionDetails(level);
    }
}

TEST(SystemMessageWin, AccessDenied) {
    const std::wstring message = riviru::SystemMessage(ERROR_ACCESS_DENIED);
    EXPECT_TRUE(message == L"Access denied." || message == L"Access is denied.") << message;
    EXPECT_EQ(message, RawSystemMessage(ERROR_ACCESS_DENIED));
}

TEST(SystemMessageWin, TrailingWhiteSpaceRemoved) {
    for (const DWORD code : {2ul, 5ul, 32ul, 112ul, 1815ul}) {
        const std::wstring message = riviru::SystemMessage(static_cast<std::int32_t>(code));
        ASSERT_FALSE(message.empty()) << code;
        EXPECT_FALSE(iswspace(message.back())) << code;
    }
}

TEST(SystemMessageWin, NoMessageGivesEmpty) {
    EXPECT_EQ(riviru::SystemMessage(65535), L"");
    EXPECT_EQ(riviru::SystemMessage(12345678), L"");
}

TEST(FormatErrorTextWin, WindowsErrorCode) {
    const std::wstring message = RawSystemMessage(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(message.empty());
    EXPECT_EQ(riviru::FormatErrorText(ERROR_ACCESS_DENIED), message + L" (5)");
}

TEST(FormatErrorTextWin, HResult) {
    const std::int32_t hr = static_cast<std::int32_t>(E_ACCESSDENIED);
    const std::wstring message = RawSystemMessage(static_cast<DWORD>(hr));
    ASSERT_FALSE(message.empty());
    EXPECT_EQ(riviru::FormatErrorText(hr), message + L" (0x80070005)");
}

TEST(FormatErrorTextWin, CodeWithoutMessage) {
    EXPECT_EQ(riviru::FormatErrorText(65535), L" (65535)");
    EXPECT_EQ(riviru::FormatErrorText(0x10000), L" (0x10000)");
    EXPECT_EQ(riviru::FormatErrorText(static_cast<std::int32_t>(0xA0001234u)), L" (0xA0001234)");
}

TEST(ErrorCodeMessageWin, WindowsCategoryUsesMessageTable) {
    // libstdc++'s own text drops the full stop; the message table keeps it.
    EXPECT_EQ(riviru::ErrorCodeMessage(std::error_code(2, std::system_category()), std::system_category()),
              RawSystemMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(riviru::ErrorCodeMessage(boost::system::error_code(2, boost::system::system_category()),
                                       boost::system::system_category()),
              RawSystemMessage(ERROR_FILE_NOT_FOUND));
}

TEST(ErrorCodeMessageWin, OtherCategoryUsesCategoryMessage) {
    const std::string own = std::generic_category().message(2);
    EXPECT_EQ(riviru::ErrorCodeMessage(std::error_code(2, std::generic_category()), std::system_category()),
              std::wstring(own.begin(), own.end()));
}

TEST(ErrorCodeMessageWin, CodeWithoutSystemMessageFallsBackToCategory) {
    const std::string own = std::system_category().message(65535);
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(
        riviru::ErrorCodeMessage(std::error_code(65535, std::system_category()), std::system_category()),
        std::wstring(own.begin(), own.end()));
}

TEST(ExceptionDetailsWin, FileExceptionExample) {
    // libstdc++ writes "File not found" (no full stop) into the message while the
    // code message is the table's "File not found."; the part is still removed.
    const auto error = TestFileException("Cannot open file", std::error_code(2, std::system_category()))
                       << riviru::tag_errinfo_path(L"C:\\Temp\\missing.txt");
    EXPECT_EQ(DetailsOf(error), L"Cannot open file.\n\nError details:\n" +
                                    RawSystemMessage(ERROR_FILE_NOT_FOUND) +
                                    L" (system:2)\n\nPath:\n'C:\\Temp\\missing.txt'");
}

TEST(ExceptionDetailsWin, ResourceErrorExample) {
    const auto error =
        TestFileException("Failed to load resource", std::error_code(1815, std::system_category()))
        << riviru::tag_errinfo_path(L"Z:\\sfx.exe\\resType:KV_XML_STRING\\resID:#1\\lcid:1033");
    EXPECT_EQ(DetailsOf(error),
              L"Failed to load resource.\n\nError details:\n" + RawSystemMessage(1815) +
                  L" (system:1815)\n\nPath:\n'Z:\\sfx.exe\\resType:KV_XML_STRING\\resID:#1\\lcid:1033'");
}

TEST(ExceptionDetailsWin, HResultInSystemCategory) {
    const std::system_error error(static_cast<int>(E_FAIL), std::system_category(), "call");
    EXPECT_EQ(DetailsOf(error), L"Call.\n\nError details:\n" + RawSystemMessage(static_cast<DWORD>(E_FAIL)) +
                                    L" (system:-2147467259)");
}

TEST(ExceptionDetailsWin, BoostSystemError) {
    const boost::system::system_error error(5, boost::system::system_category(), "writing");
    EXPECT_EQ(DetailsOf(error),
              L"Writing.\n\nError details:\n" + RawSystemMessage(ERROR_ACCESS_DENIED) + L" (system:5)");
}

TEST(ExceptionDetailsWin, FilesystemErrorWithTwoPaths) {
    const boost::filesystem::filesystem_error error(
        "rename", boost::filesystem::path(L"C:\\a"), boost::filesystem::path(L"D:\\b"),
        boost::system::error_code(5, boost::system::system_category()));
    EXPECT_EQ(DetailsOf(error), L"Rename: \"C:\\a\", \"D:\\b\".\n\nError details:\n" +
                                    RawSystemMessage(ERROR_ACCESS_DENIED) +
                                    L" (system:5)\n\nPath 0:\n'C:\\a'\n\nPath 1:\n'D:\\b'");
}

TEST(ExceptionDetailsWin, FilesystemErrorWithWidePaths) {
    // The paths come from path.native(), so they keep every character. Boost
    // writes them into its message in the ANSI code page, which is not UTF-8:
    // the message then counts as empty.
    const boost::filesystem::filesystem_error error(
        "rename", boost::filesystem::path(L"C:\\a\u00E4"), boost::filesystem::path(L"D:\\\u0416"),
        boost::system::error_code(5, boost::system::system_category()));
    const std::wstring details = DetailsOf(error);
    const std::wstring expectedEnd = L"\n\nError details:\n" + RawSystemMessage(ERROR_ACCESS_DENIED) +
                                     L" (system:5)\n\nPath 0:\n'C:\\a\u00E4'\n\nPath 1:\n'D:\\\u0416'";
    ASSERT_GE(details.size(), expectedEnd.size()) << details;
    EXPECT_EQ(details.substr(details.size() - expectedEnd.size()), expectedEnd);
}

TEST(ExceptionDetailsWin, CauseWithSystemError) {
    std::wstring details;
    try {
        try {
            throw TestFileException("Cannot read file", std::error_code(5, std::system_category()))
                << riviru::tag_errinfo_path(L"C:\\x.xml");
        } catch (...) {
            std::throw_with_nested(std::runtime_error("could not load string resources"));
        }
    } catch (...) {
        details = riviru::ExceptionDetails();
    }
    EXPECT_EQ(details,
              L"Could not load string resources.\n\nCause:\n\tCannot read file.\n\n\tError details:\n\t" +
                  RawSystemMessage(ERROR_ACCESS_DENIED) + L" (system:5)\n\n\tPath:\n\t'C:\\x.xml'");
}

}  // namespace
