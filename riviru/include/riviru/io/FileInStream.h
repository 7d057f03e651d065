// The library's input stream over a file (Windows only).
#pragma once
#include <boost/filesystem/path.hpp>
#include <boost/iostreams/stream.hpp>

#include "riviru/io/FileDeviceIn.h"

namespace riviru {

class FileInStream : public boost::iostreams::stream<FileDeviceIn<char>> {
public:
    static constexpr std::streamsize kBufferSize = 4096;
    static constexpr std::streamsize kPutBackSize = 4;

    FileInStream() = default;
    // Throws FileException when the file cannot be opened.
    explicit FileInStream(const boost::filesystem::path& path);

    // Opens the file with In and read sharing, closing what was open before.
    // Throws FileException. Read failures set the bad-bit, and raise the
    // FileException only when the exception mask asks for it.
    void open(const boost::filesystem::path& path);
};

}  // namespace riviru
