#include "riviru/io/FileException.h"

#include <type_traits>

namespace riviru {

// ExceptionDetails finds the code through std::system_error; the old string
// ABI of libstdc++ would make ios_base::failure a plain exception.
static_assert(std::is_base_of_v<std::system_error, std::ios_base::failure>,
              "std::ios_base::failure must be a std::system_error");

FileException::FileException(const std::string& message, const std::error_code& code)
    : std::ios_base::failure(message, code) {}

}  // namespace riviru
