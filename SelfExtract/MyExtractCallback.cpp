#include "MyExtractCallback.h"

#include <exception>
#include <new>

#include "ExtractThread.h"
#include "SfxMessages.h"
#include "riviru/errors/ExceptionDetails.h"
#include "sfx/EntryPath.h"
#include "sfx/ExtractRules.h"

namespace {

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
    return folder + L'\\' + name;
}

Int32 EngineOverwriteAnswer(sfx::OverwriteAnswer answer) noexcept {
    switch (answer) {
        case sfx::OverwriteAnswer::Yes:
            return NOverwriteAnswer::kYes;
        case sfx::OverwriteAnswer::YesToAll:
            return NOverwriteAnswer::kYesToAll;
        case sfx::OverwriteAnswer::NoToAll:
            return NOverwriteAnswer::kNoToAll;
        default:
            return NOverwriteAnswer::kNo;
    }
}

}  // namespace

riviru::win::com_ptr<MyExtractCallback> MyExtractCallback::Create(CExtractThread& owner) {
    auto* callback = new MyExtractCallback(owner);
    callback->AddRef();
    return riviru::win::com_ptr<MyExtractCallback>(callback);
}

HRESULT MyExtractCallback::CurrentExceptionResult() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        try {
            messageError = riviru::ExceptionDetails(0);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return E_FAIL;
    }
}

HRESULT MyExtractCallback::StopRequestResult() const noexcept {
    return owner.IsStopRequested() ? E_ABORT : S_OK;
}

HRESULT MyExtractCallback::QueryInterface(REFIID iid, void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IFolderArchiveExtractCallback) {
        *out = static_cast<IFolderArchiveExtractCallback*>(this);
    } else if (iid == IID_ICryptoGetTextPassword) {
        *out = static_cast<ICryptoGetTextPassword*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG MyExtractCallback::AddRef() noexcept {
    return ++referenceCount;
}

ULONG MyExtractCallback::Release() noexcept {
    const ULONG left = --referenceCount;
    if (left == 0) delete this;
    return left;
}

HRESULT MyExtractCallback::SetTotal(UInt64 total) noexcept {
    owner.totalSize = total;
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(owner.extractDir.c_str(), &available, nullptr, nullptr))
        return riviru::HResultFromWin32(::GetLastError());
    if (!sfx::HasRoomFor(total, available.QuadPart)) return sfx::kHResultDiskFull;
    return StopRequestResult();
}

HRESULT MyExtractCallback::SetCompleted(const UInt64* completed) noexcept {
    if (completed != nullptr && owner.totalSize != 0) {
        const auto perMille = sfx::PerMille(*completed, owner.totalSize);
        if (perMille != lastPerMille) {
            lastPerMille = perMille;
            ::SendMessageW(owner.window, WM_SFX_PROGRESS, 0, static_cast<LPARAM>(perMille));
        }
    }
    return StopRequestResult();
}

HRESULT MyExtractCallback::AskOverwrite(const wchar_t* existName, const FILETIME*, const UInt64*,
                                        const wchar_t*, const FILETIME*, const UInt64*,
                                        Int32* answer) noexcept {
    const LRESULT reply =
        ::SendMessageW(owner.window, WM_SFX_ASK_OVERWRITE, 0, reinterpret_cast<LPARAM>(existName));
    const sfx::OverwriteAnswer mapped = sfx::OverwriteReplyToAnswer(reply);
    if (mapped == sfx::OverwriteAnswer::Cancel) return E_ABORT;
    *answer = EngineOverwriteAnswer(mapped);
    return S_OK;
}

HRESULT MyExtractCallback::PrepareOperation(const wchar_t* name, Int32 isFolder, Int32,
                                            const UInt64*) noexcept {
    try {
        std::wstring entry = name != nullptr ? name : L"";
        owner.currentItem = entry;
        // The engine already turns such names into harmless ones; an entry
        // that still names a place outside the folder, a stream or a device
        // is refused all the same, as damaged data.
        if (!sfx::IsSafeEntryPath(entry)) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
        if (isFolder) entry += L'\\';
        owner.extractedEntries.push_back(std::move(entry));
        return S_OK;
    } catch (...) {
        return CurrentExceptionResult();
    }
}

HRESULT MyExtractCallback::MessageError(const wchar_t* message) noexcept {
    try {
        messageError = message != nullptr ? message : L"";
    } catch (...) {
        return CurrentExceptionResult();
    }
    return E_FAIL;  // makes the engine stop
}

void MyExtractCallback::TouchCurrentItem() const {
    const std::wstring path = JoinPath(owner.extractDir, owner.currentItem);
    // Backup semantics open folders as well; only the attributes are written.
    riviru::win::unique_file file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return;
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    now.wMilliseconds = 0;
    FILETIME lastWrite{};
    if (::SystemTimeToFileTime(&now, &lastWrite)) ::SetFileTime(file.get(), nullptr, nullptr, &lastWrite);
}

HRESULT MyExtractCallback::SetOperationResult(Int32 result, Int32) noexcept {
    const HRESULT mapped = sfx::OperationResultToHResult(result);
    if (mapped == S_OK) {
        try {
            TouchCurrentItem();
        } catch (...) {
            // The time stamp is a courtesy; the entry itself is fine.
        }
    }
    return mapped;
}

HRESULT MyExtractCallback::BeforeOpen(const wchar_t*, bool) noexcept {
    return S_OK;
}

HRESULT MyExtractCallback::OpenResult(const CCodecs*, const CArchiveLink&, const wchar_t*,
                                      HRESULT result) noexcept {
    return result;  // a failed open stops the engine with its code
}

HRESULT MyExtractCallback::ThereAreNoFiles() noexcept {
    return S_OK;
}

HRESULT MyExtractCallback::ExtractResult(HRESULT result) noexcept {
    return result;
}

HRESULT MyExtractCallback::SetPassword(const UString& newPassword) noexcept {
    try {
        password = newPassword.Ptr();
        return S_OK;
    } catch (...) {
        return CurrentExceptionResult();
    }
}

HRESULT MyExtractCallback::CryptoGetTextPassword(BSTR* out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    try {
        if (password.empty()) {
            std::wstring buffer(kSfxPasswordBufferChars, L'\0');
            const LRESULT reply =
                ::SendMessageW(owner.window, WM_SFX_ASK_PASSWORD, reinterpret_cast<WPARAM>(buffer.data()),
                               static_cast<LPARAM>(kSfxPasswordBufferChars));
            buffer.back() = L'\0';  // whatever the dialog wrote, the text ends inside the buffer
            password = buffer.c_str();
            if (reply != 1) return E_ABORT;
        }
        *out = ::SysAllocString(password.c_str());
        return *out != nullptr ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return CurrentExceptionResult();
    }
}
