// ScaledIcon: the owner of one icon loaded at a given size, scaled down from
// a larger image where the system can (LoadIconWithScaleDown).
#pragma once
#include <windows.h>

#include "riviru/win/UniqueResource.h"

namespace riviru {

class ScaledIcon {
public:
    ScaledIcon() noexcept = default;

    // Loads the icon name (a resource name or id) of module, or a standard
    // system icon (IDI_) when module is null, at width × height. True when an
    // icon was loaded. With LoadIconWithScaleDown a failure keeps the previous
    // icon; without it (before Vista) a failure leaves the holder empty.
    bool Load(HINSTANCE module, const wchar_t* name, int width, int height);

    HICON Get() const noexcept { return icon.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(icon); }

    // The id of user32's own icon resource that holds the standard system
    // icon id (IDI_APPLICATION 32512 … IDI_SHIELD 32518); 0 for other ids.
    static int User32IconResource(const wchar_t* name) noexcept;

private:
    win::unique_icon icon;
};

}  // namespace riviru
