// Command-line front end of sfxpack: parses the subcommand and its options,
// runs it, and turns failures into one line on err and an exit code.
#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace sfxpack {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // bad input or a failed write
inline constexpr int kExitUsage = 2;   // bad command line

// args without the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace sfxpack
