// Move-only owners for Win32 handles. Each kind of handle is described by a
// traits type (invalid value, close function); borrowed handles are passed as
// raw handles. Closing preserves the thread's last-error value, so an owner
// going out of scope never hides the error that made a function give up.
#pragma once
#include <windows.h>

#include <utility>

namespace riviru::win {

template <typename Traits>
class unique_resource {
public:
    using pointer = typename Traits::type;

    unique_resource() noexcept = default;
    explicit unique_resource(pointer value) noexcept : value_(value) {}
    unique_resource(const unique_resource&) = delete;
    unique_resource& operator=(const unique_resource&) = delete;
    unique_resource(unique_resource&& other) noexcept : value_(other.release()) {}
    unique_resource& operator=(unique_resource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_resource() { reset(); }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

    void reset(pointer value = Traits::invalid()) noexcept {
        const pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) {
            const DWORD lastError = ::GetLastError();
            Traits::close(old);
            ::SetLastError(lastError);
        }
    }

    // For out-parameters: releases what is held first.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

namespace traits {
struct file {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};
struct find {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::FindClose(h); }
};
struct kernel {
    using type = HANDLE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};
struct view {
    using type = const void*;
    static type invalid() noexcept { return nullptr; }
    static void close(type p) noexcept { ::UnmapViewOfFile(p); }
};
struct module {
    using type = HMODULE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::FreeLibrary(h); }
};
struct gdi_object {
    using type = HGDIOBJ;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::DeleteObject(h); }
};
struct font {
    using type = HFONT;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::DeleteObject(h); }
};
struct brush {
    using type = HBRUSH;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::DeleteObject(h); }
};
struct icon {
    using type = HICON;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::DestroyIcon(h); }
};
struct local_memory {
    using type = HLOCAL;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::LocalFree(h); }
};
}  // namespace traits

using unique_file = unique_resource<traits::file>;        // CreateFileW
using unique_find = unique_resource<traits::find>;        // FindFirstFileW
using unique_handle = unique_resource<traits::kernel>;    // events, mappings, threads, processes
using unique_view = unique_resource<traits::view>;        // MapViewOfFile
using unique_module = unique_resource<traits::module>;    // LoadLibraryW
using unique_gdi = unique_resource<traits::gdi_object>;
using unique_font = unique_resource<traits::font>;
using unique_brush = unique_resource<traits::brush>;
using unique_icon = unique_resource<traits::icon>;
using unique_local = unique_resource<traits::local_memory>;

// A small owner for COM interface pointers.
template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    explicit com_ptr(T* p) noexcept : p_(p) {}  // takes over a reference
    com_ptr(const com_ptr& o) noexcept : p_(o.p_) { if (p_) p_->AddRef(); }
    com_ptr(com_ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    com_ptr& operator=(com_ptr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~com_ptr() { reset(); }
    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

// The calling thread's last error as an HRESULT; never success for a failure.
inline HRESULT LastErrorHResult() noexcept {
    const DWORD error = ::GetLastError();
    return error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace riviru::win
