// The common part of the file devices of Boost.Iostreams over the Windows
// file API (Windows only). Boost.Iostreams copies devices into its stream
// buffers; all copies share one CurrentFile, and with it the handle and the
// file position.
#pragma once
#include <cstdint>
#include <ios>
#include <memory>
#include <string>
#include <system_error>

#include <boost/filesystem/path.hpp>

#include "riviru/io/CurrentFile.h"
#include "riviru/io/FileModes.h"

namespace riviru {

template <class Ch>
class FileDeviceBase {
public:
    typedef Ch char_type;

    FileDeviceBase() = default;
    FileDeviceBase(const FileDeviceBase&) = default;
    FileDeviceBase& operator=(const FileDeviceBase&) = default;
    virtual ~FileDeviceBase();

    // Closes the current file first. Throws FileException; a failed open
    // leaves the device closed.
    virtual void open(const boost::filesystem::path& path, FileOpenMode mode, FileShareMode share);
    // Drops this copy's reference; the handle closes with the last one.
    virtual void close();
    // Returns the new absolute position.
    virtual std::streampos seek(std::int64_t offset, std::ios_base::seekdir way);
    virtual bool flush();

    bool is_open() const noexcept { return file_ != nullptr; }
    const std::shared_ptr<CurrentFile>& file() const noexcept { return file_; }

protected:
    // The handle of the current file, InvalidFileHandle() when closed.
    void* handle() const noexcept;
    // Throws FileException with the facts of the current file attached, the
    // handle, the operation and, when given, the system function.
    [[noreturn]] void Fail(const std::string& message, const std::error_code& code, FileOp op,
                           const char* function) const;
    // The same for the thread's last error in the system category.
    [[noreturn]] void FailWithLastError(const std::string& message, FileOp op, const char* function) const;

    std::shared_ptr<CurrentFile> file_;
};

extern template class FileDeviceBase<char>;

}  // namespace riviru
