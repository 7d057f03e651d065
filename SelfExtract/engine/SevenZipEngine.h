// Access to the 7-Zip engine linked into the stub: its registry of built-in
// formats and codecs, and the 7z archive handler made by that registry. The
// extraction itself goes through the engine's own entry points (Extract() of
// its UI layer, or IInArchive::Extract) with callbacks of the caller.
#pragma once
// The engine's headers need the OLE types (BSTR, PROPVARIANT) that
// WIN32_LEAN_AND_MEAN keeps out of <windows.h>: include this header before
// any header of the engine.
#include <windows.h>

#include <ole2.h>

#include "7zip/UI/Common/LoadCodecs.h"

namespace sfx::engine {

// A reference to a registry. CCodecs counts its references through IUnknown
// only (its own AddRef is private), so the reference and the object are kept
// side by side.
class CodecRegistry {
public:
    CCodecs* get() const noexcept { return codecs_; }
    CCodecs* operator->() const noexcept { return codecs_; }
    explicit operator bool() const noexcept { return codecs_ != nullptr; }
    void Reset() noexcept {
        codecs_ = nullptr;
        owner_.Release();
    }

private:
    friend HRESULT LoadCodecs(CodecRegistry& registry) noexcept;
    CMyComPtr<IUnknown> owner_;
    CCodecs* codecs_ = nullptr;
};

// A new registry of the engine's formats and codecs, loaded. S_OK; the
// loader's failure; E_NOTIMPL when the engine holds no format at all (its
// formats register themselves from static constructors, so a link that
// dropped them shows here); E_OUTOFMEMORY.
HRESULT LoadCodecs(CodecRegistry& registry) noexcept;

// The 7z format's index in a loaded registry, or -1 when it has none.
int Find7zFormat(const CCodecs& codecs) noexcept;

// A new handler that reads 7z archives, made through the registry. S_OK;
// E_NOTIMPL when the registry has no 7z format; E_OUTOFMEMORY.
HRESULT Create7zHandler(const CCodecs& codecs, CMyComPtr<IInArchive>& archive) noexcept;

}  // namespace sfx::engine
