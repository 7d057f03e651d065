#include "engine/SevenZipEngine.h"

namespace sfx::engine {

HRESULT LoadCodecs(CodecRegistry& registry) noexcept {
    registry.Reset();
    try {
        auto* codecs = new CCodecs;
        CMyComPtr<IUnknown> owner(codecs);
        const HRESULT hr = codecs->Load();
        if (FAILED(hr)) return hr;
        if (codecs->Formats.IsEmpty()) return E_NOTIMPL;
        registry.owner_ = owner;
        registry.codecs_ = codecs;
        return S_OK;
    } catch (...) {
        // The engine throws only CNewException (out of memory) while loading.
        return E_OUTOFMEMORY;
    }
}

int Find7zFormat(const CCodecs& codecs) noexcept {
    FOR_VECTOR(i, codecs.Formats) {
        if (codecs.Formats[i].Is_7z()) return static_cast<int>(i);
    }
    return -1;
}

HRESULT Create7zHandler(const CCodecs& codecs, CMyComPtr<IInArchive>& archive) noexcept {
    archive.Release();
    const int index = Find7zFormat(codecs);
    if (index < 0) return E_NOTIMPL;
    try {
        return codecs.CreateInArchive(static_cast<unsigned>(index), archive);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace sfx::engine
