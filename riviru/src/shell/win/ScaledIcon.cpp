#include "riviru/shell/ScaledIcon.h"

#include <commctrl.h>

namespace riviru {
namespace {

using LoadIconWithScaleDownFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

// comctl32 is looked up among the loaded modules only: the version that the
// process's manifest chose is the one to ask.
LoadIconWithScaleDownFunction FindLoadIconWithScaleDown() noexcept {
    const HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
    if (comctl == nullptr) return nullptr;
    const FARPROC procedure = ::GetProcAddress(comctl, "LoadIconWithScaleDown");
    if (procedure == nullptr) return nullptr;
    return reinterpret_cast<LoadIconWithScaleDownFunction>(reinterpret_cast<void (*)()>(procedure));
}

}  // namespace

int ScaledIcon::User32IconResource(const wchar_t* name) noexcept {
    if (!IS_INTRESOURCE(name)) return 0;
    switch (reinterpret_cast<ULONG_PTR>(name)) {
        case 32512:
            return 100;  // IDI_APPLICATION
        case 32513:
            return 103;  // IDI_ERROR
        case 32514:
            return 102;  // IDI_QUESTION
        case 32515:
            return 101;  // IDI_WARNING
        case 32516:
            return 104;  // IDI_INFORMATION
        case 32517:
            return 105;  // IDI_WINLOGO
        case 32518:
            return 106;  // IDI_SHIELD
        default:
            return 0;
    }
}

bool ScaledIcon::Load(HINSTANCE module, const wchar_t* name, int width, int height) {
    if (const LoadIconWithScaleDownFunction scaleDown = FindLoadIconWithScaleDown()) {
        HICON loaded = nullptr;
        if (FAILED(scaleDown(module, name, width, height, &loaded)) || loaded == nullptr) return false;
        icon.reset(loaded);
        return true;
    }
    // LoadImageW cannot size the shared system icons; user32 carries them as
    // ordinary resources.
    if (module == nullptr) {
        if (const int resource = User32IconResource(name)) {
            module = ::GetModuleHandleW(L"user32.dll");
            name = MAKEINTRESOURCEW(resource);
        }
    }
    icon.reset(static_cast<HICON>(::LoadImageW(module, name, IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
    return static_cast<bool>(icon);
}

}  // namespace riviru
