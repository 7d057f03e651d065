#include "riviru/ui/MessageBoxButtonSet.h"

#include <string>

namespace riviru {
namespace {

struct ButtonSpec {
    int id;
    const wchar_t* captionId;
};

// Result ids follow the system's IDOK ... IDCONTINUE.
std::vector<ButtonSpec> ButtonSet(unsigned set) {
    switch (set) {
        case 0:
            return {{1, L"OK"}};
        case 1:
            return {{1, L"OK"}, {2, L"Cancel"}};
        case 2:
            return {{3, L"Cancel"}, {4, L"Retry"}, {5, L"Ignore"}};
        case 3:
            return {{6, L"Yes"}, {7, L"No"}, {2, L"Cancel"}};
        case 4:
            return {{6, L"Yes"}, {7, L"No"}};
        case 5:
            return {{4, L"Retry"}, {2, L"Cancel"}};
        case 6:
            return {{2, L"Cancel"}, {10, L"Retry"}, {11, L"Ignore"}};
        default:
            return {};
    }
}

std::wstring Caption(const IStringResources& strings, const wchar_t* id) {
    std::wstring text = strings.GetString(id);
    return text.empty() ? std::wstring(id) : text;
}

}  // namespace

std::vector<MessageBoxButton> MessageBoxButtonsForType(unsigned type, const IStringResources& strings) {
    const unsigned defaultIndex = (type >> 8) & 0x0F;
    std::vector<MessageBoxButton> buttons;
    unsigned index = 0;
    for (const ButtonSpec& spec : ButtonSet(type & 0x0F)) {
        buttons.push_back({spec.id, index == defaultIndex, Caption(strings, spec.captionId), 0});
        ++index;
    }
    if (buttons.empty()) buttons.push_back({1, true, Caption(strings, L"OK"), 0});
    return buttons;
}

}  // namespace riviru
