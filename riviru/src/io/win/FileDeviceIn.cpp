#include "riviru/io/FileDeviceIn.h"

#include <windows.h>

#include "riviru/io/FileRules.h"

namespace riviru {

template <class Ch>
void FileDeviceIn<Ch>::open(const boost::filesystem::path& path, FileOpenMode mode, FileShareMode share) {
    FileDeviceBase<Ch>::open(path, mode | FileOpenMode::In, share);
}

template <class Ch>
std::int64_t FileDeviceIn<Ch>::read(Ch* buffer, std::int64_t count) {
    static_assert(sizeof(Ch) == 1, "counts are passed to ReadFile as bytes");
    const auto& current = this->file();
    if (const char* refusal = RefuseFileRead(current ? current->mode : FileOpenMode::None, count)) {
        this->Fail(refusal, std::make_error_code(std::errc::invalid_argument), FileOp::Read, nullptr);
    }
    DWORD done = 0;
    if (!::ReadFile(this->handle(), buffer, static_cast<DWORD>(count), &done, nullptr)) {
        this->FailWithLastError("Could not read file", FileOp::Read, "ReadFile");
    }
    return static_cast<std::int64_t>(done);
}

template class FileDeviceIn<char>;

}  // namespace riviru
