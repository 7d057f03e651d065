#include "MyOpenCallback.h"

HRESULT MyOpenCallback::Open_CheckBreak() noexcept {
    return S_OK;
}

HRESULT MyOpenCallback::Open_SetTotal(const UInt64*, const UInt64*) noexcept {
    return S_OK;
}

HRESULT MyOpenCallback::Open_SetCompleted(const UInt64*, const UInt64*) noexcept {
    return S_OK;
}

HRESULT MyOpenCallback::Open_Finished() noexcept {
    return S_OK;
}

HRESULT MyOpenCallback::Open_CryptoGetTextPassword(BSTR*) noexcept {
    return S_OK;
}
