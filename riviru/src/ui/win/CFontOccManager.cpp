#include "riviru/ui/CFontOccManager.h"

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "riviru/ui/DialogTemplateFont.h"

namespace riviru {

namespace {

// The metrics in the layout of Windows Vista and later, with the padded
// border width; older systems refuse this size, which keeps the template font.
constexpr UINT kVistaMetricsSize = 504;
static_assert(sizeof(NONCLIENTMETRICSW) == kVistaMetricsSize, "NONCLIENTMETRICSW without iPaddedBorderWidth");

bool IsVistaOrLater() noexcept {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(&version)) return false;
    return version.dwMajorVersion >= 6;
}

int ScreenDpiY() noexcept {
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) return 96;
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

std::optional<CFontOccManager::MessageFont> CFontOccManager::SystemMessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kVistaMetricsSize;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kVistaMetricsSize, &metrics, 0))
        return std::nullopt;
    const LOGFONTW& font = metrics.lfMessageFont;
    const LONG height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    const int points = ::MulDiv(static_cast<int>(height), 72, ScreenDpiY());
    if (points <= 0 || points > std::numeric_limits<std::uint16_t>::max() || font.lfFaceName[0] == L'\0') {
        return std::nullopt;
    }
    return MessageFont{font.lfFaceName, static_cast<std::uint16_t>(points)};
}

const DLGTEMPLATE* CFontOccManager::PreCreateDialog(fw::DialogCreateInfo* info,
                                                    const DLGTEMPLATE* dialogTemplate) {
    const DLGTEMPLATE* result = fw::COccManager::PreCreateDialog(info, dialogTemplate);
    if (info == nullptr || result == nullptr || info->HasReplacement() || !IsVistaOrLater()) return result;
    const std::optional<MessageFont> font = SystemMessageFont();
    if (!font) return result;
    // A template from the system carries no length: its own fields end it.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(result);
    constexpr std::size_t kUnbounded = std::numeric_limits<std::size_t>::max() / 2;
    try {
        // Without DS_SETFONT the dialog has the system font, and keeps it.
        if (!ReadDialogTemplate(bytes, kUnbounded).hasFont) return result;
        std::vector<std::uint8_t> copy =
            ReplaceDialogTemplateFont(bytes, kUnbounded, font->typeface, font->pointSize);
        info->replacement.assign(copy.begin(), copy.end());
    } catch (const std::exception&) {
        return result;
    }
    return reinterpret_cast<const DLGTEMPLATE*>(info->replacement.data());
}

}  // namespace riviru
