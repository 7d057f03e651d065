#include "sfx/ExtractRules.h"

#include <limits>

namespace sfx {

bool HasRoomFor(std::uint64_t total, std::uint64_t available) noexcept {
    // total + reserve <= available, without overflowing for huge totals.
    return available >= kFreeSpaceReserve && total <= available - kFreeSpaceReserve;
}

std::uint32_t PerMille(std::uint64_t completed, std::uint64_t total) noexcept {
    if (total == 0) return 0;
    if (completed >= total) return 1000;
    // completed < total here; the product only overflows beyond 18 PB.
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max() / 1000;
    const std::uint64_t value = completed <= kLargest ? completed * 1000 / total : completed / (total / 1000);
    return static_cast<std::uint32_t>(value < 1000 ? value : 1000);
}

OverwriteAnswer OverwriteReplyToAnswer(std::intptr_t reply) noexcept {
    switch (reply) {
        case 0:
            return OverwriteAnswer::Yes;
        case 1:
            return OverwriteAnswer::YesToAll;
        case 3:
            return OverwriteAnswer::NoToAll;
        case 4:
            return OverwriteAnswer::Cancel;
        default:
            return OverwriteAnswer::No;
    }
}

riviru::HResult OperationResultToHResult(std::int32_t result) noexcept {
    switch (result) {
        case 0:
            return riviru::kOk;
        case 1:
            return kHResultNotImpl;
        case 2:
            return riviru::kInvalidData;
        case 3:
            return kHResultCrcError;
        default:
            return kHResultUnexpected;
    }
}

FailureClass ClassifyFailureCode(riviru::HResult code) noexcept {
    if (code == kHResultAbort) return FailureClass::Cancelled;
    if (code == riviru::kInvalidData || code == kHResultCrcError) return FailureClass::BadArchive;
    return FailureClass::SystemError;
}

ExtractResultAction DecideExtractResult(riviru::HResult result, bool hasMessageError,
                                        bool hasErrorText) noexcept {
    if (result == riviru::kOk)
        return hasErrorText ? ExtractResultAction::ThrowErrorText : ExtractResultAction::Succeed;
    if (result == kHResultAbort) return ExtractResultAction::ThrowCode;
    if (hasMessageError) return ExtractResultAction::ThrowMessageError;
    if (hasErrorText) return ExtractResultAction::ThrowErrorText;
    return ExtractResultAction::ThrowCode;
}

}  // namespace sfx
