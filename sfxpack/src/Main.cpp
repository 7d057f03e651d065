#include <iostream>
#include <string>
#include <vector>

#include "SfxPackCli.h"

#ifdef _WIN32
#include "riviru/text/Utf.h"

// The narrow arguments of a Windows program are in the ANSI code page; the
// wide ones give the UTF-8 that names and stamped values must be.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(riviru::EncodeUtf8(argv[i]));
    return sfxpack::RunCli(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
    return sfxpack::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif
