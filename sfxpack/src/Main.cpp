#include <iostream>
#include <string>
#include <vector>

#include "SfxPackCli.h"

int main(int argc, char** argv) {
    return sfxpack::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
