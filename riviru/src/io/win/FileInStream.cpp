#include "riviru/io/FileInStream.h"

namespace riviru {

FileInStream::FileInStream(const boost::filesystem::path& path) {
    open(path);
}

void FileInStream::open(const boost::filesystem::path& path) {
    if (is_open()) close();
    clear();
    FileDeviceIn<char> device;
    device.open(path, FileOpenMode::In, FileShareMode::Read);
    boost::iostreams::stream<FileDeviceIn<char>>::open(device, kBufferSize, kPutBackSize);
}

}  // namespace riviru
