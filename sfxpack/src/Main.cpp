#include "SfxPackCli.h"

int main(int argc, char** argv) { return sfxpack::RunCli(argc, argv); }
