// The exceptions of the shell helpers: the standard system error with an
// HRESULT in the system category, or a generic-category code.
#pragma once
#include <windows.h>

#include <string>
#include <system_error>

namespace riviru::shell_detail {

[[noreturn]] inline void ThrowHResult(HRESULT hr, const std::string& message) {
    throw std::system_error(static_cast<int>(hr), std::system_category(), message);
}

[[noreturn]] inline void ThrowGeneric(std::errc code, const std::string& message) {
    throw std::system_error(std::make_error_code(code), message);
}

// The interface id in registry form ({...} with hyphens); empty when the
// conversion fails.
std::string InterfaceIdText(REFIID iid);

}  // namespace riviru::shell_detail
