#include "framework/Controls.h"

#include <vector>

namespace fw {

std::wstring CComboBox::GetLBText(int index) const {
    const auto length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR || length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const auto copied = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return copied == CB_ERR ? std::wstring() : std::wstring(buffer.data(), static_cast<size_t>(copied));
}

}  // namespace fw
