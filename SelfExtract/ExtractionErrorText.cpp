#include "ExtractionErrorText.h"

#include <cstdio>

#include "riviru/errors/FormatErrorText.h"

std::wstring ExtractionErrorText(const ExtractionError& error, const riviru::IStringResources& strings) {
    switch (error.kind) {
        case ExtractionErrorKind::BadArchive:
            return strings.GetString(L"SfxErrorBadArchive");
        case ExtractionErrorKind::SystemError: {
            std::wstring text = strings.GetString(L"SfxErrorExtract") + L"\n\n" +
                                riviru::FormatErrorText(static_cast<std::int32_t>(error.code));
            if (!error.item.empty()) text += L"\n\n" + error.item;
            return text;
        }
        case ExtractionErrorKind::EngineError:
            break;
    }
    std::wstring text = strings.GetString(L"SfxErrorExtract");
    if (!error.message.empty()) text += L"\n\n" + error.message;
    if (error.code != 0) {
        char number[16];
        std::snprintf(number, sizeof number, " (0x%08X)", static_cast<unsigned>(error.code));
        text.append(number, number + std::char_traits<char>::length(number));
    }
    return text;
}
