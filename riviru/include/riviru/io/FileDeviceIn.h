// The reading file device of Boost.Iostreams (Windows only): an input-seekable
// device over a file opened with In.
#pragma once
#include <cstdint>

#include <boost/iostreams/categories.hpp>

#include "riviru/io/FileDeviceBase.h"

namespace riviru {

template <class Ch>
class FileDeviceIn : public virtual FileDeviceBase<Ch> {
public:
    // Not flushable for the streams: FlushFileBuffers refuses read-only
    // handles, and an input stream has nothing to flush.
    struct category : boost::iostreams::input_seekable,
                      boost::iostreams::device_tag,
                      boost::iostreams::closable_tag {};

    // The base open with In added to the mode.
    void open(const boost::filesystem::path& path, FileOpenMode mode, FileShareMode share) override;
    // Returns the number of characters read, 0 at the end of the file.
    // Throws FileException.
    virtual std::int64_t read(Ch* buffer, std::int64_t count);
};

extern template class FileDeviceIn<char>;

}  // namespace riviru
