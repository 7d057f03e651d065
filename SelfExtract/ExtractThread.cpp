#include "ExtractThread.h"

#include "engine/SevenZipEngine.h"  // first: it prepares <windows.h> for the engine's headers

#include "7zip/UI/Common/Extract.h"
#include "Common/MyException.h"
#include "Common/Wildcard.h"
#include "ExtractionError.h"
#include "MyExtractCallback.h"
#include "MyOpenCallback.h"
#include "SfxMessages.h"
#include "riviru/io/RemoveFolderTree.h"
#include "riviru/win/SystemLibrary.h"
#include "riviru/win/UniqueResource.h"
#include "sfx/ExtractRules.h"

namespace {

// Shell32's folder creation (ordinal 165): creates the folder with all missing
// parents and returns a Win32 error code.
using CreateFolderFunction = int(WINAPI*)(HWND owner, const wchar_t* path);

std::wstring WithTrailingBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path;
}

}  // namespace

CExtractThread::~CExtractThread() {
    // Run uses the members of this class, which are gone once the base
    // destructor runs.
    Stop(true);
}

bool CExtractThread::Start(const ExtractThreadParams& params) {
    const HANDLE running = GetThreadHandle();
    if (running != nullptr && ::WaitForSingleObject(running, 0) == WAIT_TIMEOUT) return false;
    window = params.window;
    archivePath = params.archivePath;
    extractDir = params.extractDir;
    deleteOnFailure = params.deleteOnFailure;
    folderCreated = params.folderCreated;
    return CMfcWorkerThread::Start(0);
}

std::uint32_t CExtractThread::Run() {
    ExtractionError error;
    totalSize = 0;
    currentItem.clear();
    try {
        Extract();
        Post(WM_SFX_EXTRACT_DONE);
        return 0;
    } catch (...) {
        if (!DescribeExtractionException(error, currentItem, totalSize)) {
            CleanUp();
            Post(WM_SFX_EXTRACT_CANCELLED);
            return 0;
        }
    }
    // The dialog shows or handles the report before the send returns.
    ::SendMessageW(window, WM_SFX_EXTRACT_ERROR, reinterpret_cast<WPARAM>(&error), 0);
    CleanUp();
    Post(WM_SFX_EXTRACT_FAILED);
    return 0;
}

void CExtractThread::CreateExtractDir() {
    const DWORD attributes = ::GetFileAttributesW(extractDir.c_str());
    if (folderCreated) {
        // The folder this run made: anything else in its place (it was
        // removed, or replaced by a link) is not extracted into.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            return;
        }
        currentItem = extractDir;
        throw CSystemException(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;

    int result = ERROR_PROC_NOT_FOUND;
    const riviru::win::unique_module shell(riviru::win::LoadSystemLibrary(L"shell32.dll"));
    if (shell) {
        const FARPROC procedure = ::GetProcAddress(shell.get(), MAKEINTRESOURCEA(165));
        if (procedure != nullptr) {
            // Through void(*)() as the language allows for any function pointer.
            const auto createFolder =
                reinterpret_cast<CreateFolderFunction>(reinterpret_cast<void (*)()>(procedure));
            result = createFolder(nullptr, extractDir.c_str());
        }
    } else {
        result = static_cast<int>(::GetLastError());
    }
    if (result != 0) {
        currentItem = extractDir;
        throw CSystemException(static_cast<HRESULT>(result));
    }
}

void CExtractThread::Extract() {
    CreateExtractDir();

    sfx::engine::CodecRegistry codecs;
    const HRESULT loaded = sfx::engine::LoadCodecs(codecs);
    if (FAILED(loaded)) throw CSystemException(loaded);

    const riviru::win::com_ptr<MyExtractCallback> callback = MyExtractCallback::Create(*this);
    MyOpenCallback openCallback;

    // Every entry: one recursive include item "*" with wildcard matching.
    NWildcard::CCensor censor;
    NWildcard::CCensorPathProps pathProps;
    pathProps.Recursive = true;
    pathProps.WildcardMatching = true;
    censor.AddPreItem(true, UString(L"*"), pathProps);
    censor.AddPathsToCensor(NWildcard::k_RelatPath);

    // The rest of the options keep the engine's defaults: no duplicate-name
    // elimination, nothing forced, no security data, links and alternate
    // streams on, no colon replacement, no standard streams, no test mode.
    CExtractOptions options;
    options.PathMode = NExtract::NPathMode::kFullPaths;
    options.OverwriteMode = NExtract::NOverwriteMode::kAsk;
    options.OutputDir = WithTrailingBackslash(extractDir).c_str();
    options.YesToAll = true;

    UStringVector archivePaths;
    UStringVector archivePathsFull;
    archivePaths.Add(UString(archivePath.c_str()));
    archivePathsFull.Add(UString(archivePath.c_str()));
    const CObjectVector<COpenType> types;  // none: every format the engine has
    const CIntVector excludedFormats;
    UString errorMessage;
    CDecompressStat statistics;

    const HRESULT result = ::Extract(codecs.get(), types, excludedFormats, archivePaths, archivePathsFull,
                                     censor.Pairs.Front().Head, options, &openCallback, callback.get(),
                                     callback.get(), nullptr, errorMessage, statistics);

    switch (sfx::DecideExtractResult(result, !callback->GetMessageError().empty(), !errorMessage.IsEmpty())) {
        case sfx::ExtractResultAction::Succeed:
            return;
        case sfx::ExtractResultAction::ThrowCode:
            throw CSystemException(result);
        case sfx::ExtractResultAction::ThrowMessageError:
            throw UString(callback->GetMessageError().c_str());
        case sfx::ExtractResultAction::ThrowErrorText:
            throw errorMessage;
    }
}

void CExtractThread::CleanUp() noexcept {
    if (!deleteOnFailure) return;
    Post(WM_SFX_DELETING);
    try {
        // Whatever cannot be removed stays; nobody is told.
        riviru::RemoveFolderTree(extractDir, riviru::FolderRemoveFlags::RemoveRoot |
                                                 riviru::FolderRemoveFlags::Recurse |
                                                 riviru::FolderRemoveFlags::ClearReadOnly);
    } catch (...) {
    }
}

void CExtractThread::Post(unsigned int message) const noexcept {
    ::PostMessageW(window, message, 0, 0);
}
