// The stub's own switches. The whole argument text also goes to the setup
// unchanged; this only reads what the stub itself needs from it.
#pragma once
#include <string>
#include <vector>

#include "sfx/SfxTypes.h"

namespace sfx {

struct CommandLineOptions {
    bool showHelp = false;                                        // /?
    bool extractOnly = false;                                     // /x [folder]
    std::wstring extractDir;                                      // the folder of /x
    UiLevel uiLevel = UiLevel::Normal;                            // /q, /qm, /qb, /qx
    std::wstring requestedCulture;                                // /l culture
    std::wstring archivePath;                                     // /e archive
    OverwriteAnswer overwriteAnswer = OverwriteAnswer::YesToAll;  // /overwriteanswer answer
    bool callerGivesValuesFile = false;                           // any /m=...
};

// args are the arguments after the program name. A switch begins with '-' or
// '/'; the rest is compared after ASCII lower-casing. A switch that takes a
// value takes the next argument verbatim and skips it; as the last argument it
// changes nothing, except /x, which still switches extract-only mode on.
// Unknown switches and other arguments are ignored, the last of several
// switches for the same option wins, and /? stops parsing.
CommandLineOptions ParseCommandLine(const std::vector<std::wstring>& args);

}  // namespace sfx
