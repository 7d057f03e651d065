// Command-line front end of sfxpack.
#pragma once

namespace sfxpack {
int RunCli(int argc, char** argv);
}
