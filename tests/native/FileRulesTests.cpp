// The file device's decisions that need no system: creation dispositions,
// refused modes and reads, and the exception with its attachments.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#include <boost/exception/errinfo_api_function.hpp>
#include <boost/exception/get_error_info.hpp>

#include "riviru/errors/ErrorInfo.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/io/FileException.h"
#include "riviru/io/FileRules.h"

namespace {

using riviru::DecideFileOpen;
using riviru::FileDisposition;
using riviru::FileOpenMode;
using riviru::FileShareMode;
using riviru::RefuseFileRead;

constexpr FileOpenMode In = FileOpenMode::In;
constexpr FileOpenMode Out = FileOpenMode::Out;
constexpr FileOpenMode Ate = FileOpenMode::Ate;
constexpr FileOpenMode App = FileOpenMode::App;
constexpr FileOpenMode Trunc = FileOpenMode::Trunc;

TEST(FileModes, ValuesAndFlagOperations) {
    EXPECT_EQ(static_cast<unsigned>(In | Out | Ate | App | Trunc), 31u);
    EXPECT_EQ(static_cast<unsigned>(FileShareMode::Read | FileShareMode::Write | FileShareMode::Delete), 7u);
    EXPECT_EQ(static_cast<unsigned>(riviru::FileOp::Flush), 4u);
    EXPECT_TRUE(riviru::HasFlag(In | Trunc, Trunc));
    EXPECT_FALSE(riviru::HasFlag(In, Trunc));
    EXPECT_FALSE(riviru::HasFlag(In, FileOpenMode::None));
    FileOpenMode mode = Out;
    mode |= In;
    EXPECT_EQ(mode, In | Out);
}

TEST(FileRules, ReadingOpensAnExistingFile) {
    const auto decision = DecideFileOpen(In);
    EXPECT_EQ(decision.disposition, FileDisposition::OpenExisting);
    EXPECT_EQ(decision.refusal, nullptr);
    EXPECT_EQ(DecideFileOpen(FileOpenMode::None).refusal, nullptr);
}

TEST(FileRules, WritingCreatesWhenMissingAndTruncationCreatesAnew) {
    EXPECT_EQ(DecideFileOpen(Out).disposition, FileDisposition::OpenAlways);
    EXPECT_EQ(DecideFileOpen(In | Out | Ate).disposition, FileDisposition::OpenAlways);
    EXPECT_EQ(DecideFileOpen(Out | Trunc).disposition, FileDisposition::CreateAlways);
    EXPECT_EQ(DecideFileOpen(In | Out | Trunc | App).disposition, FileDisposition::CreateAlways);
    EXPECT_EQ(DecideFileOpen(Out | Trunc).refusal, nullptr);
}

TEST(FileRules, ReadOnlyTruncationIsRefused) {
    EXPECT_STREQ(DecideFileOpen(In | Trunc).refusal,
                 "Cannot truncate file that was opened in read-only mode");
    // Truncation is named even when Ate or App come with it.
    EXPECT_STREQ(DecideFileOpen(In | Trunc | App).refusal,
                 "Cannot truncate file that was opened in read-only mode");
}

TEST(FileRules, ReadOnlyAppendIsRefused) {
    EXPECT_STREQ(DecideFileOpen(In | Ate).refusal, "Cannot append to file that was opened in read-only mode");
    EXPECT_STREQ(DecideFileOpen(In | App).refusal, "Cannot append to file that was opened in read-only mode");
    EXPECT_STREQ(DecideFileOpen(Ate).refusal, "Cannot append to file that was opened in read-only mode");
}

TEST(FileRules, ReadNeedsReadAccess) {
    EXPECT_STREQ(RefuseFileRead(Out, 1), "cannot read from file that was opened in write-only mode");
    EXPECT_STREQ(RefuseFileRead(FileOpenMode::None, 1),
                 "cannot read from file that was opened in write-only mode");
    EXPECT_EQ(RefuseFileRead(In | Out, 1), nullptr);
}

TEST(FileRules, ReadCountMustFitIn32Bits) {
    EXPECT_EQ(RefuseFileRead(In, 0), nullptr);
    EXPECT_EQ(RefuseFileRead(In, 0xFFFFFFFFll), nullptr);
    EXPECT_STREQ(RefuseFileRead(In, 0x100000000ll), "cannot read more than 4 GiB at once");
    EXPECT_STREQ(RefuseFileRead(In, -1), "cannot read more than 4 GiB at once");
    EXPECT_STREQ(RefuseFileRead(In, INT64_MIN), "cannot read more than 4 GiB at once");
}

TEST(FileException, MessageCodeAndAttachments) {
    const std::error_code code(5, std::generic_category());
    auto error = riviru::MakeFileException("Could not open file", code, riviru::FileOp::Open,
                                           "/tmp/setup.bin", In | Out, FileShareMode::Read);
    error << boost::errinfo_api_function("CreateFile");
    const std::system_error& asSystemError = error;
    EXPECT_EQ(asSystemError.code(), code);
    EXPECT_EQ(std::string(error.what()), "Could not open file: " + code.message());
    ASSERT_NE(boost::get_error_info<riviru::tag_errinfo_path>(error), nullptr);
    EXPECT_EQ(boost::get_error_info<riviru::tag_errinfo_path>(error)->string(), "/tmp/setup.bin");
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_openmode>(error), In | Out);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_sharemode>(error), FileShareMode::Read);
    EXPECT_EQ(*boost::get_error_info<riviru::tag_errinfo_file_op>(error), riviru::FileOp::Open);
    EXPECT_STREQ(*boost::get_error_info<boost::errinfo_api_function>(error), "CreateFile");
    EXPECT_EQ(boost::get_error_info<riviru::tag_errinfo_handle>(error), nullptr);
}

TEST(FileException, ErrorDetailsShowCodeAndPath) {
    const std::error_code code = std::make_error_code(std::errc::invalid_argument);
    try {
        throw riviru::MakeFileException("Cannot truncate file that was opened in read-only mode", code,
                                        riviru::FileOp::Open, "/tmp/x.txt", In | Trunc, FileShareMode::Read);
    } catch (...) {
        const std::string narrow = code.message();
        const std::wstring message(narrow.begin(), narrow.end());
        EXPECT_EQ(riviru::ExceptionDetails(),
                  L"Cannot truncate file that was opened in read-only mode.\n\nError details:\n" + message +
                      L" (generic:22)\n\nPath:\n'/tmp/x.txt'");
    }
}

}  // namespace
