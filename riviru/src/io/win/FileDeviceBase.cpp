#include "riviru/io/FileDeviceBase.h"

#include <windows.h>

#include <boost/exception/errinfo_api_function.hpp>
#include <boost/iostreams/positioning.hpp>

#include "riviru/io/FileRules.h"
#include "riviru/win/UniqueResource.h"

namespace riviru {

namespace {

DWORD CreationDisposition(FileDisposition disposition) noexcept {
    switch (disposition) {
        case FileDisposition::CreateAlways:
            return CREATE_ALWAYS;
        case FileDisposition::OpenAlways:
            return OPEN_ALWAYS;
        case FileDisposition::OpenExisting:
            break;
    }
    return OPEN_EXISTING;
}

}  // namespace

template <class Ch>
FileDeviceBase<Ch>::~FileDeviceBase() = default;

template <class Ch>
void FileDeviceBase<Ch>::open(const boost::filesystem::path& path, FileOpenMode mode, FileShareMode share) {
    close();
    const FileOpenDecision decision = DecideFileOpen(mode);
    if (decision.refusal) {
        throw MakeFileException(decision.refusal, std::make_error_code(std::errc::invalid_argument),
                                FileOp::Open, path, mode, share);
    }
    DWORD access = 0;
    if (HasFlag(mode, FileOpenMode::In)) access |= GENERIC_READ;
    if (HasFlag(mode, FileOpenMode::Out)) access |= GENERIC_WRITE;
    const DWORD sharing =
        static_cast<DWORD>(share) & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);

    win::unique_file handle(::CreateFileW(path.c_str(), access, sharing, nullptr,
                                          CreationDisposition(decision.disposition), FILE_ATTRIBUTE_NORMAL,
                                          nullptr));
    if (!handle) {
        const DWORD error = ::GetLastError();
        throw MakeFileException("Could not open file",
                                std::error_code(static_cast<int>(error), std::system_category()),
                                FileOp::Open, path, mode, share)
            << boost::errinfo_api_function("CreateFile");
    }
    // The record exists before it takes the handle, so no allocation failure can leak it.
    auto record = std::make_shared<CurrentFile>(InvalidFileHandle(), path, mode, share);
    record->handle = handle.release();
    file_ = std::move(record);

    if (HasFlag(mode, FileOpenMode::Ate)) {
        try {
            seek(0, std::ios_base::end);
        } catch (...) {
            close();
            throw;
        }
    }
}

template <class Ch>
void FileDeviceBase<Ch>::close() {
    file_.reset();
}

template <class Ch>
std::streampos FileDeviceBase<Ch>::seek(std::int64_t offset, std::ios_base::seekdir way) {
    DWORD method = FILE_BEGIN;
    if (way == std::ios_base::cur) {
        method = FILE_CURRENT;
    } else if (way == std::ios_base::end) {
        method = FILE_END;
    }
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    position.QuadPart = 0;
    if (!::SetFilePointerEx(handle(), distance, &position, method)) {
        FailWithLastError("Could not seek in file", FileOp::Seek, "SetFilePointerEx");
    }
    return boost::iostreams::offset_to_position(position.QuadPart);
}

template <class Ch>
bool FileDeviceBase<Ch>::flush() {
    if (!::FlushFileBuffers(handle()))
        FailWithLastError("Could not flush file", FileOp::Flush, "FlushFileBuffers");
    return true;
}

template <class Ch>
void* FileDeviceBase<Ch>::handle() const noexcept {
    return file_ ? file_->handle : InvalidFileHandle();
}

template <class Ch>
void FileDeviceBase<Ch>::Fail(const std::string& message, const std::error_code& code, FileOp op,
                              const char* function) const {
    const CurrentFile* current = file_.get();
    auto error = MakeFileException(message, code, op, current ? current->path : boost::filesystem::path(),
                                   current ? current->mode : FileOpenMode::None,
                                   current ? current->share : FileShareMode::None);
    error << tag_errinfo_handle(reinterpret_cast<std::uintptr_t>(handle()));
    if (function) error << boost::errinfo_api_function(function);
    throw error;
}

template <class Ch>
void FileDeviceBase<Ch>::FailWithLastError(const std::string& message, FileOp op,
                                           const char* function) const {
    const DWORD error = ::GetLastError();
    Fail(message, std::error_code(static_cast<int>(error), std::system_category()), op, function);
}

template class FileDeviceBase<char>;

}  // namespace riviru
