// The failure report of the extraction worker, passed by address with
// WM_SFX_EXTRACT_ERROR and read by the dialog during that message only.
#pragma once
#include <cstdint>
#include <string>

enum class ExtractionErrorKind : std::int32_t {
    BadArchive = 0,   // the archive data is damaged (also a wrong password)
    SystemError = 1,  // an operation failed with a system or engine HRESULT
    EngineError = 2,  // the engine threw a text or a number
};

struct ExtractionError {
    ExtractionErrorKind kind = ExtractionErrorKind::BadArchive;
    // HRESULT, Win32 error code or engine exit code; 0 when none.
    std::uint32_t code = 0;
    // Text from the engine; empty when none.
    std::wstring message;
    // For a SystemError: the entry being extracted (relative to the folder),
    // or the folder itself when it could not be created. Else empty.
    std::wstring item;
    // For a SystemError with 0x80070070 (disk full): the unpacked size of the
    // archive. Else 0.
    std::uint64_t requiredSize = 0;
};

// Describes the exception being handled (call it inside a catch handler) as
// the report of a failed run; false when the exception is a cancel (E_ABORT),
// which is not reported. Thrown engine types and what they give:
// CSystemException with invalid data or a CRC error: BadArchive with the code;
// any other CSystemException: SystemError with the code and currentItem, plus
// totalSize as requiredSize for disk full; NExitCode::EEnum and int:
// EngineError with the number; UString, AString and narrow texts: EngineError
// with the text (narrow ones from the thread's ANSI code page). Anything else
// is an EngineError as well, with the best text there is, so that every
// failed run ends with one report.
bool DescribeExtractionException(ExtractionError& error, const std::wstring& currentItem,
                                 std::uint64_t totalSize) noexcept;
