// The extraction worker's rules that need neither Windows nor the engine.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "sfx/ExtractRules.h"

using sfx::ExtractResultAction;
using sfx::FailureClass;
using sfx::OverwriteAnswer;

namespace {
constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
constexpr riviru::HResult kOk = 0, kFalse = 1;
constexpr auto kFail = static_cast<riviru::HResult>(0x80004005u);
constexpr auto kAccessDenied = static_cast<riviru::HResult>(0x80070005u);
}  // namespace

TEST(ExtractRules, FreeSpaceMustHoldTheTotalAndOneMebibyte) {
    EXPECT_TRUE(sfx::HasRoomFor(1000, 1000 + kMiB));       // exactly enough
    EXPECT_FALSE(sfx::HasRoomFor(1000, 1000 + kMiB - 1));  // one byte short
    EXPECT_TRUE(sfx::HasRoomFor(0, kMiB));                 // an empty archive still needs the reserve
    EXPECT_FALSE(sfx::HasRoomFor(0, kMiB - 1));
    EXPECT_FALSE(sfx::HasRoomFor(0, 0));
    EXPECT_FALSE(sfx::HasRoomFor(kMax, kMax));  // no overflow of total + reserve
    EXPECT_TRUE(sfx::HasRoomFor(kMax - kMiB, kMax));
    EXPECT_FALSE(sfx::HasRoomFor(kMax - kMiB + 1, kMax));
}

TEST(ExtractRules, PerMilleTruncatesAndEndsAtOneThousand) {
    EXPECT_EQ(sfx::PerMille(0, 67), 0u);
    EXPECT_EQ(sfx::PerMille(1, 67), 14u);  // 14.9 truncated
    EXPECT_EQ(sfx::PerMille(66, 67), 985u);
    EXPECT_EQ(sfx::PerMille(67, 67), 1000u);
    EXPECT_EQ(sfx::PerMille(999, 1000), 999u);
    EXPECT_EQ(sfx::PerMille(1, 3), 333u);
    EXPECT_EQ(sfx::PerMille(2, 3), 666u);
}

TEST(ExtractRules, PerMilleStaysInRangeForOddValues) {
    EXPECT_EQ(sfx::PerMille(5, 0), 0u);  // no total known
    EXPECT_EQ(sfx::PerMille(200, 100), 1000u);
    // Products beyond 64 bits are approximated, within one per mille.
    EXPECT_NEAR(sfx::PerMille(kMax / 2, kMax), 500.0, 1.0);
    EXPECT_NEAR(sfx::PerMille(kMax - 1, kMax), 999.0, 1.0);
    EXPECT_EQ(sfx::PerMille(kMax, kMax), 1000u);
    std::uint32_t last = 0;
    for (std::uint64_t completed = 0; completed <= 12345; completed += 7) {
        const std::uint32_t value = sfx::PerMille(completed, 12345);
        EXPECT_GE(value, last);
        EXPECT_LE(value, 1000u);
        last = value;
    }
}

TEST(ExtractRules, OverwriteReplyMapsToTheAnswer) {
    EXPECT_EQ(sfx::OverwriteReplyToAnswer(0), OverwriteAnswer::Yes);
    EXPECT_EQ(sfx::OverwriteReplyToAnswer(1), OverwriteAnswer::YesToAll);
    EXPECT_EQ(sfx::OverwriteReplyToAnswer(2), OverwriteAnswer::No);
    EXPECT_EQ(sfx::OverwriteReplyToAnswer(3), OverwriteAnswer::NoToAll);
    EXPECT_EQ(sfx::OverwriteReplyToAnswer(4), OverwriteAnswer::Cancel);
    // Every other reply keeps the existing file.
    EXPECT_EQ(sfx::OverwriteReplyToAnswer(5), OverwriteAnswer::No);
    EXPECT_EQ(sfx::OverwriteReplyToAnswer(-1), OverwriteAnswer::No);
    EXPECT_EQ(sfx::OverwriteReplyToAnswer(6), OverwriteAnswer::No);
    EXPECT_EQ(sfx::OverwriteReplyToAnswer(0x10001), OverwriteAnswer::No);
}

TEST(ExtractRules, OperationResultBecomesAnHResult) {
    EXPECT_EQ(sfx::OperationResultToHResult(0), kOk);
    EXPECT_EQ(sfx::OperationResultToHResult(1), static_cast<riviru::HResult>(0x80004001u));
    EXPECT_EQ(sfx::OperationResultToHResult(2), static_cast<riviru::HResult>(0x8007000Du));
    EXPECT_EQ(sfx::OperationResultToHResult(3), static_cast<riviru::HResult>(0x80070017u));
    for (const std::int32_t other : {4, 5, 9, 11, -1, 100})
        EXPECT_EQ(sfx::OperationResultToHResult(other), static_cast<riviru::HResult>(0x8000FFFFu)) << other;
}

TEST(ExtractRules, FailureCodesAreClassified) {
    EXPECT_EQ(sfx::ClassifyFailureCode(static_cast<riviru::HResult>(0x80004004u)), FailureClass::Cancelled);
    EXPECT_EQ(sfx::ClassifyFailureCode(static_cast<riviru::HResult>(0x8007000Du)), FailureClass::BadArchive);
    EXPECT_EQ(sfx::ClassifyFailureCode(static_cast<riviru::HResult>(0x80070017u)), FailureClass::BadArchive);
    EXPECT_EQ(sfx::ClassifyFailureCode(static_cast<riviru::HResult>(0x80070070u)), FailureClass::SystemError);
    EXPECT_EQ(sfx::ClassifyFailureCode(static_cast<riviru::HResult>(0x80004001u)), FailureClass::SystemError);
    EXPECT_EQ(sfx::ClassifyFailureCode(kFail), FailureClass::SystemError);
    EXPECT_EQ(sfx::ClassifyFailureCode(kFalse), FailureClass::SystemError);
    // A plain Win32 code (the folder creation's) is not an HRESULT of the table.
    EXPECT_EQ(sfx::ClassifyFailureCode(13), FailureClass::SystemError);
    EXPECT_EQ(sfx::ClassifyFailureCode(183), FailureClass::SystemError);
}

TEST(ExtractRules, ExtractResultDecidesBetweenCodeAndTexts) {
    const auto decide = sfx::DecideExtractResult;
    EXPECT_EQ(decide(kOk, false, false), ExtractResultAction::Succeed);
    EXPECT_EQ(decide(kOk, false, true), ExtractResultAction::ThrowErrorText);
    EXPECT_EQ(decide(kFail, false, false), ExtractResultAction::ThrowCode);
    // MessageError's text wins over the code and over the returned text.
    EXPECT_EQ(decide(kFail, true, false), ExtractResultAction::ThrowMessageError);
    EXPECT_EQ(decide(kFail, true, true), ExtractResultAction::ThrowMessageError);
    EXPECT_EQ(decide(kAccessDenied, false, true), ExtractResultAction::ThrowErrorText);
    // A cancel is never reported as a failure, whatever text there is.
    EXPECT_EQ(decide(static_cast<riviru::HResult>(0x80004004u), true, true), ExtractResultAction::ThrowCode);
    // S_FALSE (the archive could not be opened) is no success.
    EXPECT_EQ(decide(kFalse, false, false), ExtractResultAction::ThrowCode);
    EXPECT_EQ(decide(kFalse, false, true), ExtractResultAction::ThrowErrorText);
}
