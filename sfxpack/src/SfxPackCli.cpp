#include "SfxPackCli.h"

#include <exception>
#include <map>
#include <stdexcept>

#include "BuildCommand.h"
#include "InspectCommand.h"
#include "PackError.h"

namespace sfxpack {

namespace {

const char kUsage[] =
    "usage: sfxpack build --stub STUB --config CONFIG --archive PAYLOAD.7z -o PACKAGE\n"
    "       sfxpack inspect PACKAGE\n"
    "       sfxpack --help\n"
    "\n"
    "  build    writes PACKAGE: the stub (a PE32 executable), the configuration\n"
    "           (UTF-8 text, enciphered), then the 7z archive\n"
    "  inspect  shows where the configuration block and the archive lie in PACKAGE\n"
    "           and prints its configuration\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using Args = std::vector<std::string>;

// "--name value" and "--name=value"; aliases map to the canonical name.
std::map<std::string, std::string> ParseOptions(const std::string& command, const Args& args,
                                                const std::map<std::string, std::string>& names) {
    std::map<std::string, std::string> values;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        const auto known = names.find(name);
        if (known == names.end()) throw UsageError(command + ": unexpected argument '" + args[i] + "'");
        if (!hasValue) {
            if (i + 1 >= args.size()) throw UsageError(command + ": " + name + " needs a value");
            value = args[++i];
        }
        if (value.empty()) throw UsageError(command + ": " + name + " needs a value");
        if (!values.emplace(known->second, value).second) {
            throw UsageError(command + ": " + known->second + " given twice");
        }
    }
    return values;
}

std::string Required(const std::map<std::string, std::string>& values, const std::string& command,
                     const std::string& name) {
    const auto it = values.find(name);
    if (it == values.end()) throw UsageError(command + ": missing " + name);
    return it->second;
}

int RunBuild(const Args& args, std::ostream& out) {
    const auto values = ParseOptions("build", args,
                                     {{"--stub", "--stub"},
                                      {"--config", "--config"},
                                      {"--archive", "--archive"},
                                      {"-o", "--output"},
                                      {"--output", "--output"}});
    BuildOptions options;
    options.stub = Required(values, "build", "--stub");
    options.config = Required(values, "build", "--config");
    options.archive = Required(values, "build", "--archive");
    options.output = Required(values, "build", "--output");
    const PackageLayout layout = BuildPackage(options);
    out << options.output.u8string() << ": " << layout.fileSize << " bytes (stub " << layout.stubSize
        << ", configuration block " << layout.blockSize << ", archive " << layout.archiveSize << ")\n";
    return kExitOk;
}

int RunInspect(const Args& args, std::ostream& out) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        throw UsageError("inspect: expects one package file");
    }
    InspectPackage(args[0], out);
    return kExitOk;
}

using Command = int (*)(const Args&, std::ostream&);

const std::map<std::string, Command> kCommands = {
    {"build", RunBuild},
    {"inspect", RunInspect},
};

}  // namespace

int RunCli(const Args& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        out << kUsage;
        return kExitOk;
    }
    try {
        if (args.empty()) throw UsageError("no command given");
        const auto command = kCommands.find(args[0]);
        if (command == kCommands.end()) throw UsageError("unknown command '" + args[0] + "'");
        return command->second(Args(args.begin() + 1, args.end()), out);
    } catch (const UsageError& e) {
        err << "sfxpack: " << e.what() << " (see sfxpack --help)\n";
        return kExitUsage;
    } catch (const PackError& e) {
        err << "sfxpack: " << e.what() << '\n';
        return kExitFailed;
    } catch (const std::exception& e) {
        err << "sfxpack: " << e.what() << '\n';
        return kExitFailed;
    }
}

}  // namespace sfxpack
