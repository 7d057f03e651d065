#include "riviru/errors/ErrorCodeMessage.h"

#include "riviru/errors/SystemMessage.h"

namespace riviru {

namespace {

// Character by character, each byte as one code unit (Latin-1).
std::wstring Widen(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

}  // namespace

std::wstring ErrorCodeMessage(const std::error_code& code, const std::error_category& windowsCategory) {
    std::wstring text;
    if (code.category() == windowsCategory) text = SystemMessage(code.value());
    if (text.empty()) text = Widen(code.message());
    return text;
}

std::wstring ErrorCodeMessage(const boost::system::error_code& code,
                              const boost::system::error_category& windowsCategory) {
    std::wstring text;
    if (code.category() == windowsCategory) text = SystemMessage(code.value());
    if (text.empty()) text = Widen(code.message());
    return text;
}

}  // namespace riviru
