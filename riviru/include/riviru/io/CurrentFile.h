// The record of an open file. Copies of a file device share one record
// through a shared owner, so the handle closes when the last copy lets go.
#pragma once
#include <cstdint>

#include <boost/filesystem/path.hpp>

#include "riviru/io/FileModes.h"

namespace riviru {

// INVALID_HANDLE_VALUE, without the system headers.
inline void* InvalidFileHandle() noexcept {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
}

struct CurrentFile {
    CurrentFile(void* fileHandle, boost::filesystem::path filePath, FileOpenMode openMode,
                FileShareMode shareMode) noexcept;
    CurrentFile(const CurrentFile&) = delete;
    CurrentFile& operator=(const CurrentFile&) = delete;
    // Closes the handle when it is valid (Windows only).
    ~CurrentFile();

    void* handle;  // the system file handle, InvalidFileHandle() when none
    boost::filesystem::path path;
    FileOpenMode mode;
    FileShareMode share;
};

}  // namespace riviru
