#include "riviru/errors/SystemMessage.h"

namespace riviru {

// There is no Windows message table natively; callers fall back to their own
// texts (the category's message, the bare number).
std::wstring SystemMessage(std::int32_t /*code*/) {
    return std::wstring();
}

}  // namespace riviru
