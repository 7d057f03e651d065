#include "riviru/io/CurrentFile.h"

#include <windows.h>

#include <utility>

namespace riviru {

CurrentFile::CurrentFile(void* fileHandle, boost::filesystem::path filePath, FileOpenMode openMode,
                         FileShareMode shareMode) noexcept
    : handle(fileHandle), path(std::move(filePath)), mode(openMode), share(shareMode) {}

CurrentFile::~CurrentFile() {
    if (handle != InvalidFileHandle() && handle != nullptr) ::CloseHandle(handle);
    handle = InvalidFileHandle();
}

}  // namespace riviru
