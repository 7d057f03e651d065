#include "riviru/resources/ResourceId.h"

namespace riviru {

std::wstring ResourceId::ToString() const {
    return IsNamed() ? name : L"#" + std::to_wstring(id);
}

}  // namespace riviru
