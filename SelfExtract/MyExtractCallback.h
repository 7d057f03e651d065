// MyExtractCallback: the extraction callback that the worker hands to the
// archive engine. It reports progress to the dialog, checks the free space,
// asks before overwriting, asks for the password, records every prepared entry
// and turns the engine's per-entry results into HRESULTs that stop the engine
// on a failure. Every operation is an exception barrier.
#pragma once
#include "engine/SevenZipEngine.h"  // first: it prepares <windows.h> for the engine's headers

#include <cstdint>
#include <string>

#include "7zip/IPassword.h"
#include "7zip/UI/Common/IFileExtractCallback.h"
#include "riviru/win/UniqueResource.h"

class CExtractThread;

// The COM interfaces have no virtual destructor by design; the object deletes
// itself in Release, through its own (virtual) destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class MyExtractCallback final : public IFolderArchiveExtractCallback,
                                public ICryptoGetTextPassword,
                                public IExtractCallbackUI {
public:
    // A new object on the heap with one reference, held by the result. The
    // owner outlives the object (the worker releases it before its run ends).
    static riviru::win::com_ptr<MyExtractCallback> Create(CExtractThread& owner);

    MyExtractCallback(const MyExtractCallback&) = delete;
    MyExtractCallback& operator=(const MyExtractCallback&) = delete;

    // The last text the engine passed to MessageError; empty when none.
    const std::wstring& GetMessageError() const noexcept { return messageError; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

    // IProgress
    HRESULT STDMETHODCALLTYPE SetTotal(UInt64 total) noexcept override;
    HRESULT STDMETHODCALLTYPE SetCompleted(const UInt64* completed) noexcept override;

    // IFolderArchiveExtractCallback
    HRESULT STDMETHODCALLTYPE AskOverwrite(const wchar_t* existName, const FILETIME* existTime,
                                           const UInt64* existSize, const wchar_t* newName,
                                           const FILETIME* newTime, const UInt64* newSize,
                                           Int32* answer) noexcept override;
    HRESULT STDMETHODCALLTYPE PrepareOperation(const wchar_t* name, Int32 isFolder, Int32 askExtractMode,
                                               const UInt64* position) noexcept override;
    HRESULT STDMETHODCALLTYPE MessageError(const wchar_t* message) noexcept override;
    HRESULT STDMETHODCALLTYPE SetOperationResult(Int32 result, Int32 encrypted) noexcept override;

    // IExtractCallbackUI (the engine's non-COM part of the callback)
    HRESULT BeforeOpen(const wchar_t* name, bool testMode) noexcept override;
    HRESULT OpenResult(const CCodecs* codecs, const CArchiveLink& archiveLink, const wchar_t* name,
                       HRESULT result) noexcept override;
    HRESULT ThereAreNoFiles() noexcept override;
    HRESULT ExtractResult(HRESULT result) noexcept override;
    HRESULT SetPassword(const UString& newPassword) noexcept override;

    // ICryptoGetTextPassword
    HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* out) noexcept override;

private:
    explicit MyExtractCallback(CExtractThread& ownerThread) noexcept : owner(ownerThread) {}
    virtual ~MyExtractCallback() = default;

    // The result for an exception caught in an operation: out of memory, or
    // E_FAIL with the exception's text kept as the message error, so that the
    // run reports it like any other engine text.
    HRESULT CurrentExceptionResult() noexcept;
    HRESULT StopRequestResult() const noexcept;
    void TouchCurrentItem() const;

    ULONG referenceCount = 0;  // only the worker thread uses the object
    CExtractThread& owner;
    std::wstring messageError;
    std::wstring password;
    // The per-mille value of the last progress message; the engine reports
    // far more often than the value changes, and each message is a thread switch.
    std::uint32_t lastPerMille = ~std::uint32_t{0};
};

#pragma GCC diagnostic pop
