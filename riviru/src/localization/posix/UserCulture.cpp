#include "riviru/localization/Culture.h"

namespace riviru {

// Natively there are no Windows language settings to ask; callers then fall
// back to their first offered culture.
std::wstring GetUserCultureName() {
    return std::wstring();
}

}  // namespace riviru
