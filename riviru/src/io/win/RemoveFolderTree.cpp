#include "riviru/io/RemoveFolderTree.h"

#include <windows.h>

#include "riviru/win/UniqueResource.h"

namespace riviru {

namespace {

std::wstring Join(const std::wstring& folder, const wchar_t* name) {
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return separated ? folder + name : folder + L'\\' + name;
}

class FolderRemover {
public:
    explicit FolderRemover(FolderRemoveFlags flags) noexcept : flags_(flags) {}

    bool RemoveContents(const std::wstring& folder, int depth) {
        bool result = true;
        WIN32_FIND_DATAW entry;
        win::unique_find find(::FindFirstFileW(Join(folder, L"*.*").c_str(), &entry));
        if (find) {
            do {
                const std::wstring name = entry.cFileName;
                if (name == L"." || name == L"..") continue;
                if (!RemoveEntry(Join(folder, entry.cFileName), entry.dwFileAttributes, depth)) {
                    if (HasFlag(flags_, FolderRemoveFlags::StopOnError)) {
                        ::SetLastError(lastFailure_);
                        return false;
                    }
                    result = false;
                }
            } while (::FindNextFileW(find.get(), &entry));
        }
        if (depth > 0 || HasFlag(flags_, FolderRemoveFlags::RemoveRoot)) {
            if (!::RemoveDirectoryW(folder.c_str())) result = Fail();
        }
        // The end of the enumeration overwrote the last error.
        if (!result) ::SetLastError(lastFailure_);
        return result;
    }

private:
    bool RemoveEntry(const std::wstring& full, DWORD attributes, int depth) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            if (!HasFlag(flags_, FolderRemoveFlags::Recurse)) return true;
            // A junction or directory link: remove the link, never what it
            // points to.
            if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                return ::RemoveDirectoryW(full.c_str()) || Fail();
            }
            return RemoveContents(full, depth + 1);
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            if (!HasFlag(flags_, FolderRemoveFlags::ClearReadOnly)) {
                ::SetLastError(ERROR_ACCESS_DENIED);
                return Fail();
            }
            if (!ClearAttributes(full, attributes)) return Fail();
        }
        // DeleteFileW removes a file link itself, not its target.
        return ::DeleteFileW(full.c_str()) || Fail();
    }

    // SetFileAttributesW would follow a link and change its target: a link's
    // own attributes are set through a handle to the link.
    static bool ClearAttributes(const std::wstring& full, DWORD attributes) noexcept {
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            return ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
        }
        const win::unique_file link(::CreateFileW(full.c_str(), FILE_WRITE_ATTRIBUTES,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING,
                                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!link) return false;
        FILE_BASIC_INFO info{};
        info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        return ::SetFileInformationByHandle(link.get(), FileBasicInfo, &info, sizeof(info)) != FALSE;
    }

    // Records the error of the call that just failed; always false.
    bool Fail() noexcept {
        lastFailure_ = ::GetLastError();
        return false;
    }

    FolderRemoveFlags flags_;
    DWORD lastFailure_ = ERROR_SUCCESS;
};

}  // namespace

bool RemoveFolderTree(const std::wstring& path, FolderRemoveFlags flags) {
    if (!IsRemovableFolderPath(path)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // A folder that is itself a link (a junction put in its place) is not
    // entered: only the link goes.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if (!HasFlag(flags, FolderRemoveFlags::RemoveRoot)) return true;
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ::RemoveDirectoryW(path.c_str()) != FALSE
                                                            : ::DeleteFileW(path.c_str()) != FALSE;
    }
    return FolderRemover(flags).RemoveContents(path, 0);
}

}  // namespace riviru
