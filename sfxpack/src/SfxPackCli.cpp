#include "SfxPackCli.h"

#include <cstdio>

namespace sfxpack {
int RunCli(int, char**) {
    std::fputs("usage: sfxpack build|inspect ...\n", stderr);
    return 2;
}
}  // namespace sfxpack
