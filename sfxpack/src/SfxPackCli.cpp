#include "SfxPackCli.h"

#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

#include "BuildCommand.h"
#include "InspectCommand.h"
#include "PackError.h"
#include "SizeCheck.h"

namespace sfxpack {

namespace {

const char kUsage[] =
    "usage: sfxpack build --stub STUB --config CONFIG --archive PAYLOAD.7z -o PACKAGE\n"
    "                     [--stamp NAME=VALUE]... [--data KEY=VALUE]...\n"
    "       sfxpack inspect PACKAGE\n"
    "       sfxpack verify PACKAGE\n"
    "       sfxpack --help\n"
    "\n"
    "  build    writes PACKAGE: the stub (a PE32 executable), the configuration\n"
    "           (UTF-8 text, enciphered), the 7z archive and, with --data, a data\n"
    "           trailer. The stub's resource _KVR_VERIFY receives the size of\n"
    "           PACKAGE, which the stub checks before it extracts anything.\n"
    "    --stamp NAME=VALUE\n"
    "           writes VALUE (UTF-8) into the stub's RCDATA resource NAME, filled\n"
    "           up with zero bytes; NAME begins with KVR or KV_ (case-sensitive)\n"
    "           and VALUE may fill the resource, not more. The stub passes these\n"
    "           values to the setup. Repeatable.\n"
    "    --data KEY=VALUE\n"
    "           adds an item to the data trailer at the end of PACKAGE (at most\n"
    "           65536 bytes). The stub reads the trailer only when it carries no\n"
    "           KVR or KV_ resource at all; the standard stub carries KVRID, KVRID2\n"
    "           and KV_ZORBIX_PHASH and ignores it. A package under 64 KiB is\n"
    "           padded with zero bytes before the trailer. Repeatable.\n"
    "  inspect  shows where the pieces of PACKAGE lie, the values stamped into\n"
    "           its stub, its data trailer, its certificate table and the result\n"
    "           of the stub's size check, and prints its configuration\n"
    "  verify   makes the stub's size check on PACKAGE: exit code 0 when the\n"
    "           stub would accept the file, 1 when not. A signed PACKAGE must end\n"
    "           with its certificate table; an unsigned one must have the size\n"
    "           stamped into _KVR_VERIFY. Signing after build keeps it valid.\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using Args = std::vector<std::string>;

struct ParsedOptions {
    std::map<std::string, std::string> single;
    std::map<std::string, std::vector<std::string>> repeated;
};

// "--name value" and "--name=value"; aliases map to the canonical name.
ParsedOptions ParseOptions(const std::string& command, const Args& args,
                           const std::map<std::string, std::string>& names,
                           const std::set<std::string>& repeatable) {
    ParsedOptions parsed;
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
        if (repeatable.count(known->second) != 0) {
            parsed.repeated[known->second].push_back(value);
        } else if (!parsed.single.emplace(known->second, value).second) {
            throw UsageError(command + ": " + known->second + " given twice");
        }
    }
    return parsed;
}

std::string Required(const ParsedOptions& parsed, const std::string& command, const std::string& name) {
    const auto it = parsed.single.find(name);
    if (it == parsed.single.end()) throw UsageError(command + ": missing " + name);
    return it->second;
}

// Arguments are UTF-8 (Main converts them on Windows).
std::filesystem::path PathArgument(const std::string& text) {
    return std::filesystem::u8path(text);
}

std::vector<NamedValue> NamedValues(const ParsedOptions& parsed, const std::string& name, const char* form) {
    std::vector<NamedValue> values;
    const auto it = parsed.repeated.find(name);
    if (it == parsed.repeated.end()) return values;
    for (const std::string& item : it->second) {
        const auto eq = item.find('=');
        if (eq == std::string::npos || eq == 0) {
            throw UsageError("build: " + name + " expects " + form + ", not '" + item + "'");
        }
        values.emplace_back(item.substr(0, eq), item.substr(eq + 1));
    }
    return values;
}

int RunBuild(const Args& args, std::ostream& out, std::ostream& err) {
    const auto parsed = ParseOptions("build", args,
                                     {{"--stub", "--stub"},
                                      {"--config", "--config"},
                                      {"--archive", "--archive"},
                                      {"-o", "--output"},
                                      {"--output", "--output"},
                                      {"--stamp", "--stamp"},
                                      {"--data", "--data"}},
                                     {"--stamp", "--data"});
    BuildOptions options;
    options.stub = PathArgument(Required(parsed, "build", "--stub"));
    options.config = PathArgument(Required(parsed, "build", "--config"));
    options.archive = PathArgument(Required(parsed, "build", "--archive"));
    options.output = PathArgument(Required(parsed, "build", "--output"));
    options.stamps = NamedValues(parsed, "--stamp", "NAME=VALUE");
    options.data = NamedValues(parsed, "--data", "KEY=VALUE");
    const BuildResult result = BuildPackage(options);
    for (const std::string& warning : result.warnings) err << "sfxpack: warning: " << warning << '\n';
    const PackageLayout& layout = result.layout;
    out << options.output.u8string() << ": " << layout.fileSize << " bytes (stub " << layout.stubSize
        << ", configuration block " << layout.blockSize << ", archive " << layout.archiveSize;
    if (layout.trailerSize > 0) {
        out << ", data trailer " << layout.trailerSize;
        if (layout.paddingSize > 0) out << " after " << layout.paddingSize << " bytes of padding";
    }
    out << ")\n";
    return kExitOk;
}

std::filesystem::path OnePackage(const std::string& command, const Args& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        throw UsageError(command + ": expects one package file");
    }
    return PathArgument(args[0]);
}

int RunInspect(const Args& args, std::ostream& out, std::ostream&) {
    InspectPackage(OnePackage("inspect", args), out);
    return kExitOk;
}

int RunVerify(const Args& args, std::ostream& out, std::ostream& err) {
    const auto package = OnePackage("verify", args);
    const SizeCheck check = CheckPackageSize(package);
    if (!check.Passed()) {
        err << "sfxpack: " << package.u8string() << ": the stub would refuse it: " << DescribeSizeCheck(check)
            << '\n';
        return kExitFailed;
    }
    out << package.u8string() << ": OK, " << DescribeSizeCheck(check) << '\n';
    return kExitOk;
}

using Command = int (*)(const Args&, std::ostream&, std::ostream&);

const std::map<std::string, Command> kCommands = {
    {"build", RunBuild},
    {"inspect", RunInspect},
    {"verify", RunVerify},
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
        return command->second(Args(args.begin() + 1, args.end()), out, err);
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
