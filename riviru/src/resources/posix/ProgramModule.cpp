#include "riviru/resources/ResourceLocation.h"

namespace riviru {

ModuleHandle ProgramModule() noexcept {
    return nullptr;
}

}  // namespace riviru
