// Error details, portable behaviour. Natively SystemMessage is the
// empty stand-in, so code messages come from the categories themselves.
#include <gtest/gtest.h>

#include <exception>
#include <ios>
#include <stdexcept>
#include <string>
#include <system_error>

#include <boost/exception/errinfo_file_name.hpp>
#include <boost/exception/info.hpp>
#include <boost/filesystem/exception.hpp>
#include <boost/system/system_error.hpp>

#include "riviru/errors/ErrorCodeMessage.h"
#include "riviru/errors/ErrorInfo.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/errors/FormatErrorText.h"
#include "riviru/errors/SystemMessage.h"

namespace {

using riviru::ExceptionDetails;

// A category with fixed messages, so the expectations do not depend on the C library.
class TestCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "test"; }
    std::string message(int value) const override {
        if (value == 99) return "caf\xE9";  // one 8-bit character above ASCII
        return "test message " + std::to_string(value);
    }
};

const TestCategory& testCategory() {
    static const TestCategory category;
    return category;
}

// Boost's category base has a protected, non-virtual destructor by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class BoostTestCategory : public boost::system::error_category {
public:
    const char* name() const noexcept override { return "btest"; }
    std::string message(int value) const override { return "boost message " + std::to_string(value); }
};
#pragma GCC diagnostic pop

const BoostTestCategory& boostTestCategory() {
    static const BoostTestCategory category;
    return category;
}

// Shaped like the file device's FileException: a stream failure (a system error) that
// also carries Boost exception information.
struct TestFileException : std::ios_base::failure, virtual boost::exception {
    TestFileException(const std::string& message, const std::error_code& code) : failure(message, code) {}
};

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

template <class E>
std::wstring DetailsOf(const E& error, int level = 0) {
    try {
        throw error;
    } catch (...) {
        return ExceptionDetails(level);
    }
}

// Throws `outer` with the exception being handled nested in it, and describes it.
template <class Inner, class Outer>
std::wstring DetailsOfNested(const Inner& inner, const Outer& outer, int level = 0) {
    try {
        try {
            throw inner;
        } catch (...) {
            std::throw_with_nested(outer);
        }
    } catch (...) {
        return ExceptionDetails(level);
    }
}

TEST(ExceptionDetails, NonStandardExceptionIsUnknown) {
    EXPECT_EQ(DetailsOf(42), L"Unknown exception.");
    EXPECT_EQ(DetailsOf(std::string("text"), 2), L"\t\tUnknown exception.");
}

TEST(ExceptionDetails, WithoutCurrentExceptionIsUnknown) {
    EXPECT_EQ(ExceptionDetails(), L"Unknown exception.");
}

TEST(ExceptionDetails, FirstLetterUpperCaseAndFullStop) {
    EXPECT_EQ(DetailsOf(std::runtime_error("file is locked")), L"File is locked.");
}

TEST(ExceptionDetails, NoSecondFullStop) {
    EXPECT_EQ(DetailsOf(std::runtime_error("already done.")), L"Already done.");
}

TEST(ExceptionDetails, FirstCharacterOtherThanAsciiLetterIsKept) {
    EXPECT_EQ(DetailsOf(std::runtime_error("3 files left")), L"3 files left.");
    // "ärger": not an ASCII letter, kept as decoded from UTF-8.
    EXPECT_EQ(DetailsOf(std::runtime_error("\xC3\xA4rger")), L"\u00E4rger.");
}

TEST(ExceptionDetails, EmptyMessageGivesLoneFullStop) {
    EXPECT_EQ(DetailsOf(std::runtime_error("")), L".");
    EXPECT_EQ(DetailsOf(std::runtime_error(""), 1), L"\t.");
}

TEST(ExceptionDetails, InvalidUtf8MessageCountsAsEmpty) {
    EXPECT_EQ(DetailsOf(std::runtime_error("bad \xFF byte")), L".");
    EXPECT_EQ(DetailsOf(std::runtime_error("cut \xE2\x82")), L".");
}

TEST(ExceptionDetails, MessageKeepsUtf16Surrogates) {
    EXPECT_EQ(DetailsOf(std::runtime_error("smile \xF0\x9F\x98\x80")),
              std::wstring(L"Smile ") + wchar_t(0xD83D) + wchar_t(0xDE00) + L".");
}

TEST(ExceptionDetails, LastUnknownErrorSuffixIsRemoved) {
    EXPECT_EQ(DetailsOf(std::runtime_error("open failed: unknown error")), L"Open failed.");
    EXPECT_EQ(DetailsOf(std::runtime_error("a: unknown error, b: unknown error")), L"A: unknown error, b.");
}

TEST(ExceptionDetails, SystemErrorShowsCodeMessageOnceUnderErrorDetails) {
    const std::system_error error(7, testCategory(), "cannot read");
    ASSERT_STREQ(error.what(), "cannot read: test message 7");
    EXPECT_EQ(DetailsOf(error), L"Cannot read.\n\nError details:\ntest message 7 (test:7)");
}

TEST(ExceptionDetails, SystemErrorInSystemCategory) {
    const std::system_error error(2, std::system_category(), "cannot open");
    const std::wstring message = Widen(std::system_category().message(2));
    EXPECT_EQ(DetailsOf(error), L"Cannot open.\n\nError details:\n" + message + L" (system:2)");
}

TEST(ExceptionDetails, HResultCodeIsSignedDecimal) {
    const std::system_error error(static_cast<int>(0x80004005u), testCategory(), "call failed");
    EXPECT_EQ(DetailsOf(error),
              L"Call failed.\n\nError details:\ntest message -2147467259 (test:-2147467259)");
}

TEST(ExceptionDetails, SystemErrorWithEmptyOwnText) {
    const std::system_error error(std::error_code(8, testCategory()), "");
    ASSERT_STREQ(error.what(), ": test message 8");
    EXPECT_EQ(DetailsOf(error, 1), L"\t.\n\n\tError details:\n\ttest message 8 (test:8)");
}

TEST(ExceptionDetails, SystemErrorWithoutOwnTextRepeatsCodeMessage) {
    // The message is just the code message: there is no ": " part to remove.
    const std::system_error error(std::error_code(8, testCategory()));
    ASSERT_STREQ(error.what(), "test message 8");
    EXPECT_EQ(DetailsOf(error), L"Test message 8.\n\nError details:\ntest message 8 (test:8)");
}

TEST(ExceptionDetails, SystemErrorMessageEndingInFullStop) {
    const std::system_error error(5, testCategory(), "done.");
    EXPECT_EQ(DetailsOf(error), L"Done.\n\nError details:\ntest message 5 (test:5)");
}

TEST(ExceptionDetails, BoostSystemError) {
    const boost::system::system_error error(4, boostTestCategory(), "writing");
    ASSERT_STREQ(error.what(), "writing: boost message 4 [btest:4]");
    // Only ": " and the code message is removed; the Boost suffix stays.
    EXPECT_EQ(DetailsOf(error), L"Writing [btest:4].\n\nError details:\nboost message 4 (btest:4)");
}

TEST(ExceptionDetails, BoostSystemErrorInBoostSystemCategory) {
    const boost::system::system_error error(5, boost::system::system_category(), "writing");
    const std::wstring details = DetailsOf(error);
    const std::wstring expectedEnd =
        L".\n\nError details:\n" + Widen(boost::system::system_category().message(5)) + L" (system:5)";
    ASSERT_GE(details.size(), expectedEnd.size());
    EXPECT_EQ(details.substr(details.size() - expectedEnd.size()), expectedEnd);
    EXPECT_EQ(details.rfind(L"Writing", 0), 0u);
}

TEST(ExceptionDetails, FilesystemErrorWithTwoPaths) {
    const boost::filesystem::filesystem_error error("rename", "/tmp/a b", "/tmp/\xC3\xA4.txt",
                                                    boost::system::error_code(3, boostTestCategory()));
    const std::wstring details = DetailsOf(error);
    const std::wstring expectedEnd =
        L"\n\nError details:\nboost message 3 (btest:3)"
        L"\n\nPath 0:\n'/tmp/a b'"
        L"\n\nPath 1:\n'/tmp/\u00E4.txt'";
    ASSERT_GE(details.size(), expectedEnd.size());
    EXPECT_EQ(details.substr(details.size() - expectedEnd.size()), expectedEnd);
    EXPECT_EQ(details.rfind(L"Rename", 0), 0u);
}

TEST(ExceptionDetails, FilesystemErrorWithOnePath) {
    const boost::filesystem::filesystem_error error("remove", "/tmp/x",
                                                    boost::system::error_code(3, boostTestCategory()));
    const std::wstring details = DetailsOf(error);
    const std::wstring expectedEnd = L"(btest:3)\n\nPath:\n'/tmp/x'";
    ASSERT_GE(details.size(), expectedEnd.size());
    EXPECT_EQ(details.substr(details.size() - expectedEnd.size()), expectedEnd);
}

TEST(ExceptionDetails, FilesystemErrorUsesOnlyItsOwnPaths) {
    // Boost raises its errors with exception information attached; for a
    // file-system error only its two paths count.
    const auto error = boost::enable_error_info(boost::filesystem::filesystem_error(
                           "copy", "/from", "/to", boost::system::error_code(3, boostTestCategory())))
                       << boost::errinfo_file_name("/attached") << riviru::tag_errinfo_path("/other");
    const std::wstring details = DetailsOf(error);
    EXPECT_NE(details.find(L"Path 0:\n'/from'\n\nPath 1:\n'/to'"), std::wstring::npos) << details;
    EXPECT_EQ(details.find(L"/attached"), std::wstring::npos);
    EXPECT_EQ(details.find(L"/other"), std::wstring::npos);
}

TEST(ExceptionDetails, AttachedPath) {
    const auto error = boost::enable_error_info(std::runtime_error("not readable"))
                       << riviru::tag_errinfo_path("/data/\xC3\xA4.bin");
    EXPECT_EQ(DetailsOf(error), L"Not readable.\n\nPath:\n'/data/\u00E4.bin'");
}

TEST(ExceptionDetails, AllAttachmentsInOrder) {
    const auto error = boost::enable_error_info(std::runtime_error("copy failed"))
                       << riviru::tag_errinfo_path2("/second") << riviru::tag_errinfo_path("/first")
                       << boost::errinfo_file_name("name.txt");
    EXPECT_EQ(DetailsOf(error),
              L"Copy failed.\n\nPath 0:\n'name.txt'\n\nPath 1:\n'/first'\n\nPath 2:\n'/second'");
}

TEST(ExceptionDetails, EmptyAttachedPathIsSkippedButCounted) {
    // Two entries, so numbered labels; the counter counts written paths only.
    const auto error = boost::enable_error_info(std::runtime_error("x"))
                       << riviru::tag_errinfo_path(boost::filesystem::path())
                       << riviru::tag_errinfo_path2("/b");
    EXPECT_EQ(DetailsOf(error), L"X.\n\nPath 0:\n'/b'");
}

TEST(ExceptionDetails, InvalidUtf8FileNameIsEmpty) {
    const auto error = boost::enable_error_info(std::runtime_error("x"))
                       << boost::errinfo_file_name("bad\xFF") << riviru::tag_errinfo_path("/ok");
    EXPECT_EQ(DetailsOf(error), L"X.\n\nPath 0:\n'/ok'");
}

TEST(ExceptionDetails, FileExceptionExample) {
    const auto error = TestFileException("Cannot open file", std::error_code(2, std::system_category()))
                       << riviru::tag_errinfo_path("/tmp/missing.txt");
    const std::wstring message = Widen(std::system_category().message(2));
    EXPECT_EQ(DetailsOf(error), L"Cannot open file.\n\nError details:\n" + message +
                                    L" (system:2)\n\nPath:\n'/tmp/missing.txt'");
}

TEST(ExceptionDetails, Cause) {
    EXPECT_EQ(DetailsOfNested(std::runtime_error("inner failure"), std::runtime_error("outer failure")),
              L"Outer failure.\n\nCause:\n\tInner failure.");
}

TEST(ExceptionDetails, CauseAtLevelOne) {
    EXPECT_EQ(DetailsOfNested(std::runtime_error("inner"), std::runtime_error("outer"), 1),
              L"\tOuter.\n\n\tCause:\n\t\tInner.");
}

TEST(ExceptionDetails, CauseOfOtherTypeAddsNothing) {
    EXPECT_EQ(DetailsOfNested(7, std::runtime_error("outer")), L"Outer.");
}

TEST(ExceptionDetails, CauseWithSamePathsDoesNotRepeatThem) {
    const auto inner = boost::enable_error_info(std::system_error(3, testCategory(), "read"))
                       << riviru::tag_errinfo_path("/f");
    const auto outer = boost::enable_error_info(std::runtime_error("load")) << riviru::tag_errinfo_path("/f");
    EXPECT_EQ(DetailsOfNested(inner, outer),
              L"Load.\n\nPath:\n'/f'\n\nCause:\n\tRead.\n\n\tError details:\n\ttest message 3 (test:3)");
}

TEST(ExceptionDetails, CauseWithOtherPathsShowsThemIndented) {
    const auto inner = boost::enable_error_info(std::runtime_error("read")) << riviru::tag_errinfo_path("/g");
    const auto outer = boost::enable_error_info(std::runtime_error("load")) << riviru::tag_errinfo_path("/f");
    EXPECT_EQ(DetailsOfNested(inner, outer), L"Load.\n\nPath:\n'/f'\n\nCause:\n\tRead.\n\n\tPath:\n\t'/g'");
}

TEST(ExceptionDetails, CauseWithPathUnderOuterWithout) {
    const auto inner = boost::enable_error_info(std::runtime_error("read")) << riviru::tag_errinfo_path("/g");
    EXPECT_EQ(DetailsOfNested(inner, std::runtime_error("load")),
              L"Load.\n\nCause:\n\tRead.\n\n\tPath:\n\t'/g'");
}

TEST(ExceptionDetails, CauseWithFewerPathsShowsItsOwn) {
    // The sets differ in size: {"/f"} against {"/f", "/g"}.
    const auto inner = boost::enable_error_info(std::runtime_error("read")) << riviru::tag_errinfo_path("/f");
    const auto outer = boost::enable_error_info(std::runtime_error("load"))
                       << riviru::tag_errinfo_path("/f") << riviru::tag_errinfo_path2("/g");
    EXPECT_EQ(DetailsOfNested(inner, outer),
              L"Load.\n\nPath 0:\n'/f'\n\nPath 1:\n'/g'\n\nCause:\n\tRead.\n\n\tPath:\n\t'/f'");
}

TEST(ExceptionDetails, TwoCausesDeep) {
    std::wstring details;
    try {
        try {
            try {
                throw std::runtime_error("innermost");
            } catch (...) {
                std::throw_with_nested(std::runtime_error("middle"));
            }
        } catch (...) {
            std::throw_with_nested(std::runtime_error("outer"));
        }
    } catch (...) {
        details = ExceptionDetails();
    }
    EXPECT_EQ(details, L"Outer.\n\nCause:\n\tMiddle.\n\n\tCause:\n\t\tInnermost.");
}

TEST(ErrorCodeMessage, OtherCategoryGivesCategoryMessage) {
    EXPECT_EQ(riviru::ErrorCodeMessage(std::error_code(4, testCategory()), std::system_category()),
              L"test message 4");
    EXPECT_EQ(riviru::ErrorCodeMessage(boost::system::error_code(4, boostTestCategory()),
                                       boost::system::system_category()),
              L"boost message 4");
}

TEST(ErrorCodeMessage, CategoryMessageIsWidenedCharacterByCharacter) {
    EXPECT_EQ(riviru::ErrorCodeMessage(std::error_code(99, testCategory()), std::system_category()),
              L"caf\u00E9");
}

TEST(ErrorCodeMessage, WindowsCategoryFallsBackToCategoryMessageNatively) {
    // The native SystemMessage stand-in has no message table.
    EXPECT_EQ(riviru::ErrorCodeMessage(std::error_code(2, std::system_category()), std::system_category()),
              Widen(std::system_category().message(2)));
    EXPECT_EQ(riviru::ErrorCodeMessage(std::error_code(2, testCategory()), testCategory()),
              L"test message 2");
    EXPECT_EQ(riviru::ErrorCodeMessage(boost::system::error_code(2, boost::system::system_category()),
                                       boost::system::system_category()),
              Widen(boost::system::system_category().message(2)));
}

TEST(SystemMessage, NativeStandInIsEmpty) {
    EXPECT_EQ(riviru::SystemMessage(5), L"");
    EXPECT_EQ(riviru::SystemMessage(static_cast<std::int32_t>(0x80070005u)), L"");
}

TEST(FormatErrorText, DecimalUpTo0xFFFF) {
    EXPECT_EQ(riviru::FormatErrorText(0), L" (0)");
    EXPECT_EQ(riviru::FormatErrorText(5), L" (5)");
    EXPECT_EQ(riviru::FormatErrorText(65535), L" (65535)");
}

TEST(FormatErrorText, UpperCaseHexadecimalAbove0xFFFF) {
    EXPECT_EQ(riviru::FormatErrorText(65536), L" (0x10000)");
    EXPECT_EQ(riviru::FormatErrorText(0xABCDEF), L" (0xABCDEF)");
    EXPECT_EQ(riviru::FormatErrorText(static_cast<std::int32_t>(0x80070005u)), L" (0x80070005)");
    EXPECT_EQ(riviru::FormatErrorText(-1), L" (0xFFFFFFFF)");
}

}  // namespace
