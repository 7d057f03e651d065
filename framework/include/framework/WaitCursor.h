// CWaitCursor: shows the wait cursor while it lives.
#pragma once
#include <windows.h>

namespace fw {

class CWaitCursor {
public:
    CWaitCursor() noexcept : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(previous_ != nullptr ? previous_ : ::LoadCursorW(nullptr, IDC_ARROW)); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace fw
