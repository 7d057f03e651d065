// The stub's command line switches: arguments are the input's lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzText.h"
#include "sfx/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = sfxfuzz::WideText(data, size);
    std::vector<std::wstring> args;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(L'\n', from)) != std::wstring::npos; from = at + 1)
        args.push_back(text.substr(from, at - from));
    args.push_back(text.substr(from));
    const sfx::CommandLineOptions options = sfx::ParseCommandLine(args);
    // A folder is only taken along with extract-only mode.
    SFX_FUZZ_EXPECT(options.extractDir.empty() || options.extractOnly);
    return 0;
}
