#include "riviru/errors/SystemMessage.h"

#include <windows.h>

#include <boost/algorithm/string/trim.hpp>

namespace riviru {

std::wstring SystemMessage(std::int32_t code) {
    constexpr DWORD kBufferSize = 1024;
    wchar_t buffer[kBufferSize];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        buffer, kBufferSize, nullptr);
    std::wstring text(buffer, length < kBufferSize ? length : 0);
    boost::algorithm::trim_right(text);
    return text;
}

}  // namespace riviru
