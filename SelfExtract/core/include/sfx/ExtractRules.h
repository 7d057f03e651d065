// The rules of the extraction worker that do not depend on the archive engine
// or on Windows: the free-space reserve, per-mille progress, the meaning of the
// dialog's overwrite reply, the engine's per-entry results as HRESULTs, how a
// failure code is classified and what the result of an extraction means.
#pragma once
#include <cstdint>

#include "riviru/errors/HResult.h"
#include "sfx/SfxTypes.h"

namespace sfx {

// E_ABORT, E_NOTIMPL, E_UNEXPECTED and the Win32 errors CRC and disk full.
inline constexpr auto kHResultAbort = static_cast<riviru::HResult>(0x80004004u);
inline constexpr auto kHResultNotImpl = static_cast<riviru::HResult>(0x80004001u);
inline constexpr auto kHResultUnexpected = static_cast<riviru::HResult>(0x8000FFFFu);
inline constexpr auto kHResultCrcError = static_cast<riviru::HResult>(0x80070017u);
inline constexpr auto kHResultDiskFull = static_cast<riviru::HResult>(0x80070070u);

// Room kept free beyond the archive's unpacked size.
inline constexpr std::uint64_t kFreeSpaceReserve = 1024 * 1024;

// True when total bytes plus the reserve fit into available bytes (exactly
// filling it is enough).
bool HasRoomFor(std::uint64_t total, std::uint64_t available) noexcept;

// completed × 1000 ÷ total, truncated; never above 1000, even for a completed
// value past the total. 0 for a total of 0 (no progress is known then).
std::uint32_t PerMille(std::uint64_t completed, std::uint64_t total) noexcept;

// The dialog's reply to the overwrite question: 0 yes, 1 yes to all, 3 no to
// all, 4 cancel; anything else (2 included) is no.
OverwriteAnswer OverwriteReplyToAnswer(std::intptr_t reply) noexcept;

// The engine's per-entry operation result: 0 (OK) succeeds, 1 (unsupported
// method) is E_NOTIMPL, 2 (data error) invalid data, 3 (CRC error) the CRC
// error, anything else E_UNEXPECTED.
riviru::HResult OperationResultToHResult(std::int32_t result) noexcept;

enum class FailureClass {
    Cancelled,    // E_ABORT: a stop request or a cancelled question
    BadArchive,   // invalid data or CRC error: damaged data or a wrong password
    SystemError,  // anything else
};

FailureClass ClassifyFailureCode(riviru::HResult code) noexcept;

// What the worker does with the result of the engine's extraction.
enum class ExtractResultAction {
    Succeed,
    ThrowCode,          // the result code: a cancel, or a failure without text
    ThrowMessageError,  // the text the engine passed to MessageError
    ThrowErrorText,     // the error text the extraction returned
};

// A result other than S_OK is a failure (S_FALSE included: the archive could
// not be opened). A cancel stays a cancel; otherwise a text beats the code,
// MessageError's first. A success with an error text is a failure as well.
ExtractResultAction DecideExtractResult(riviru::HResult result, bool hasMessageError,
                                        bool hasErrorText) noexcept;

}  // namespace sfx
