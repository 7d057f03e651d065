// MyOpenCallback: the open callback that the worker hands to the archive
// engine. It does nothing: opening shows no progress and cannot ask for a
// password, so an archive with encrypted headers cannot be opened.
#pragma once
#include "engine/SevenZipEngine.h"  // first: it prepares <windows.h> for the engine's headers

#include "7zip/UI/Common/ArchiveOpenCallback.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // an engine interface; the object lives on the stack

class MyOpenCallback final : public IOpenCallbackUI {
public:
    HRESULT Open_CheckBreak() noexcept override;
    HRESULT Open_SetTotal(const UInt64* files, const UInt64* bytes) noexcept override;
    HRESULT Open_SetCompleted(const UInt64* files, const UInt64* bytes) noexcept override;
    HRESULT Open_Finished() noexcept override;
    // Success without a password: the engine then opens without one.
    HRESULT Open_CryptoGetTextPassword(BSTR* password) noexcept override;
};

#pragma GCC diagnostic pop
