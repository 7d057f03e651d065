#include <windows.h>

#include "riviru/resources/ResourceLocation.h"

namespace riviru {

ModuleHandle ProgramModule() noexcept {
    return ::GetModuleHandleW(nullptr);
}

}  // namespace riviru
