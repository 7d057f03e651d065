#include "riviru/io/FileRules.h"

namespace riviru {

FileOpenDecision DecideFileOpen(FileOpenMode mode) noexcept {
    if (HasFlag(mode, FileOpenMode::Out)) {
        return {
            HasFlag(mode, FileOpenMode::Trunc) ? FileDisposition::CreateAlways : FileDisposition::OpenAlways,
            nullptr};
    }
    if (HasFlag(mode, FileOpenMode::Trunc)) {
        return {FileDisposition::OpenExisting, "Cannot truncate file that was opened in read-only mode"};
    }
    if (HasFlag(mode, FileOpenMode::Ate) || HasFlag(mode, FileOpenMode::App)) {
        return {FileDisposition::OpenExisting, "Cannot append to file that was opened in read-only mode"};
    }
    return {FileDisposition::OpenExisting, nullptr};
}

const char* RefuseFileRead(FileOpenMode mode, std::int64_t count) noexcept {
    if (!HasFlag(mode, FileOpenMode::In)) return "cannot read from file that was opened in write-only mode";
    if ((static_cast<std::uint64_t>(count) >> 32) != 0) return "cannot read more than 4 GiB at once";
    return nullptr;
}

FileException MakeFileException(const std::string& message, const std::error_code& code, FileOp op,
                                const boost::filesystem::path& path, FileOpenMode mode, FileShareMode share) {
    FileException error(message, code);
    error << tag_errinfo_path(path) << tag_errinfo_openmode(mode) << tag_errinfo_sharemode(share)
          << tag_errinfo_file_op(op);
    return error;
}

}  // namespace riviru
