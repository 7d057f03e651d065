// The decisions of the file device that do not need the system: which
// creation disposition a mode asks for, which modes and read counts are
// refused, and the shape of the exception of a failed operation.
#pragma once
#include <cstdint>
#include <string>
#include <system_error>

#include <boost/filesystem/path.hpp>

#include "riviru/io/FileException.h"
#include "riviru/io/FileModes.h"

namespace riviru {

// How open finds or creates the file (CreateFileW's creation disposition).
enum class FileDisposition { OpenExisting, OpenAlways, CreateAlways };

struct FileOpenDecision {
    FileDisposition disposition;
    // Why the mode is refused (code 22, generic category), or null.
    const char* refusal;
};

// Out creates the file when missing and, with Trunc, anew; without Out,
// Trunc, Ate and App contradict read-only access and are refused.
FileOpenDecision DecideFileOpen(FileOpenMode mode) noexcept;

// Why a read of count bytes from a file opened with mode is refused, or null.
// ReadFile takes a 32-bit count, so a count whose upper 32 bits are not zero
// (negative counts among them) is refused rather than cut.
const char* RefuseFileRead(FileOpenMode mode, std::int64_t count) noexcept;

// The exception of a failed operation on a file, with its path, modes and the
// operation attached; the caller adds the handle and the system function.
FileException MakeFileException(const std::string& message, const std::error_code& code, FileOp op,
                                const boost::filesystem::path& path, FileOpenMode mode, FileShareMode share);

}  // namespace riviru
