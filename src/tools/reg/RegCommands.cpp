#include "tools/reg/RegCommands.h"

#include "files/TextCase.h"
#include "registry/KeyPath.h"
#include "registry/Registry.h"
#include "registry/clsRegistryAccess.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string_view>

namespace quorvel::regtool {
namespace {

using Args = std::vector<std::string>;

struct Command {
    const char* usage;
    const char* help;
    std::size_t minArgs;
    std::size_t maxArgs;
    int (*run)(const Args&);
};

int Usage(const std::string& message) {
    std::fprintf(stderr, "quorvel-reg: %s (try --help)\n", message.c_str());
    return kExitUsage;
}

int Failed(const std::string& message, bool withDetail = true) {
    const std::string detail = withDetail ? reg::Registry::Process().LastError() : "";
    if (detail.empty()) {
        std::fprintf(stderr, "quorvel-reg: %s\n", message.c_str());
    } else {
        std::fprintf(stderr, "quorvel-reg: %s (%s)\n", message.c_str(), detail.c_str());
    }
    return kExitFailed;
}

std::string TypeName(std::uint32_t type) {
    switch (type) {
        case reg::kRegSz:
            return "REG_SZ";
        case reg::kRegDword:
            return "REG_DWORD";
        case reg::kRegBinary:
            return "REG_BINARY";
        default:
            return "REG_" + std::to_string(type);
    }
}

std::string ValueText(const clsRegistryAccess::Value& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    return {};
}

// Decimal (negative allowed) or hexadecimal with "0x"; any 32-bit pattern.
bool ParseDword(std::string_view text, std::int32_t& value) {
    int base = 10;
    bool negative = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    std::uint64_t number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return false;
    if (negative ? number > 0x80000000ull : number > 0xFFFFFFFFull)
        return false;
    const std::uint32_t bits =
        negative ? static_cast<std::uint32_t>(0u - number) : static_cast<std::uint32_t>(number);
    value = static_cast<std::int32_t>(bits);
    return true;
}

int Keys(const Args& a) {
    clsRegistryAccess registry;
    std::vector<std::string> names;
    if (registry.EnumKeys(a[0], names) < 0)
        return Failed("cannot open key " + a[0]);
    for (const std::string& name : names)
        std::printf("%s\n", name.c_str());
    return kExitOk;
}

int Values(const Args& a) {
    clsRegistryAccess registry;
    std::vector<std::string> names;
    std::vector<clsRegistryAccess::Value> values;
    std::vector<std::uint32_t> types;
    if (registry.EnumValues(a[0], names, values, -1, &types) < 0) {
        return Failed("cannot open key " + a[0]);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::printf("%s\t%s\t%s\n", names[i].c_str(), TypeName(types[i]).c_str(),
                    ValueText(values[i]).c_str());
    }
    return kExitOk;
}

// The value named exactly so, read whole: the listing's reader cuts texts to 255 characters
// and trims names, so it cannot stand in for it.
int Get(const Args& a) {
    const reg::ParsedKeyPath path = reg::ParseKeyPath(a[0]);
    reg::Registry& registry = reg::Registry::Process();
    reg::Hkey key = reg::kNoKey;
    if (registry.OpenKey(path.root, path.subKey, reg::Access::Read, key) != reg::kErrorSuccess)
        return Failed("cannot open key " + a[0]);
    std::uint32_t type = 0;
    std::string data;
    const reg::Status status = registry.QueryValue(key, a[1], type, data);
    registry.CloseKey(key);
    if (status == reg::kErrorFileNotFound) {
        std::fprintf(stderr, "quorvel-reg: no value \"%s\" in %s\n", a[1].c_str(), a[0].c_str());
        return kExitFailed;
    }
    if (status != reg::kErrorSuccess)
        return Failed("cannot read \"" + a[1] + "\" in " + a[0]);
    std::string text;
    if (type == reg::kRegSz || type == reg::kRegExpandSz) {
        text = data;
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
    } else if (type == reg::kRegDword && data.size() == 4) {
        std::uint32_t bits = 0;
        for (std::size_t i = 0; i < 4; ++i)
            bits |= std::uint32_t{static_cast<unsigned char>(data[i])} << (8 * i);
        text = std::to_string(static_cast<std::int32_t>(bits));
    } else {
        text = TrimBlanks(clsRegistryAccess::BinToStr(data));
    }
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kExitOk;
}

int Set(const Args& a) {
    clsRegistryAccess registry;
    const std::string& type = a[2];
    clsRegistryAccess::Handle result = 0;
    if (type == "sz") {
        result = registry.WriteString(a[0], a[1], a[3]);
    } else if (type == "dword") {
        std::int32_t number = 0;
        if (!ParseDword(a[3], number)) {
            return Usage("not a 32-bit number (decimal, or hexadecimal with 0x): " + a[3]);
        }
        result = registry.WriteDWORD(a[0], a[1], number);
    } else if (type == "binary") {
        // An empty text stands for no bytes at all.
        if (!a[3].empty() && !clsRegistryAccess::isBinValid(a[3]))
            return Usage("not hex text (such as \"01 FF\"): " + a[3]);
        result = registry.WriteBinary(a[0], a[1], a[3]);
    } else {
        return Usage("unknown value type \"" + type + "\" (sz, dword or binary)");
    }
    if (result == 0)
        return Failed("cannot write \"" + a[1] + "\" in " + a[0]);
    return kExitOk;
}

int Delete(const Args& a) {
    clsRegistryAccess registry;
    if (a.size() == 2) {
        if (!registry.ValueExists(a[0], a[1])) {
            std::fprintf(stderr, "quorvel-reg: no value \"%s\" in %s\n", a[1].c_str(),
                         a[0].c_str());
            return kExitFailed;
        }
        if (registry.KillValue(a[0], a[1]) == 0 || registry.ValueExists(a[0], a[1])) {
            return Failed("cannot delete \"" + a[1] + "\" in " + a[0]);
        }
        return kExitOk;
    }
    if (registry.KillKey(a[0]) == 0)
        return Failed("cannot open key " + a[0] + " for deleting");
    std::vector<std::string> left;
    if (registry.EnumKeys(a[0], left) >= 0) {
        return Failed(a[0] + " was not deleted" + (left.empty() ? "" : ": it has sub-keys"), false);
    }
    return kExitOk;
}

int Export(const Args& a) {
    bool subkeys = false;
    Args positional;
    for (const std::string& arg : a) {
        if (arg == "--subkeys") {
            subkeys = true;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2)
        return Usage("export takes KEY and FILE");
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(positional[1], ec))) {
        std::fprintf(stderr, "quorvel-reg: %s exists already; nothing written\n",
                     positional[1].c_str());
        return kExitFailed;
    }
    clsRegistryAccess registry;
    if (registry.ExportToReg(positional[0], positional[1], subkeys) == 1)
        return kExitOk;
    if (registry.Notices().empty())
        return Failed("cannot export " + positional[0] + " to " + positional[1]);
    for (const std::string& notice : registry.Notices())
        std::fprintf(stderr, "quorvel-reg: %s\n", notice.c_str());
    std::fprintf(stderr, "quorvel-reg: %s was written without what is listed above\n",
                 positional[1].c_str());
    return kExitFailed;
}

int Import(const Args& a) {
    clsRegistryAccess registry;
    if (registry.ImportFromReg(a[0]) != 1) {
        if (registry.Notices().empty()) {
            std::fprintf(stderr, "quorvel-reg: %s is missing or not a REGEDIT4 file\n",
                         a[0].c_str());
        }
        for (const std::string& notice : registry.Notices())
            std::fprintf(stderr, "quorvel-reg: %s: %s\n", a[0].c_str(), notice.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"keys", {"keys KEY", "Lists the sub-keys of KEY, one per line.", 1, 1, Keys}},
        {"values",
         {"values KEY",
          "Lists the values of KEY: name, TAB, type, TAB, data (text, decimal number or hex).", 1,
          1, Values}},
        {"get",
         {"get KEY NAME", "Prints the data of one value (\"\" names the default value).", 2, 2,
          Get}},
        {"set",
         {"set KEY NAME sz|dword|binary DATA",
          "Writes a value, creating KEY if needed. dword DATA is decimal or 0x hexadecimal;\n"
          "binary DATA is hex text such as \"01 FF\". NAME \"@\" with sz writes the default value.",
          4, 4, Set}},
        {"delete",
         {"delete KEY [NAME]", "Deletes the value NAME, or KEY itself (only without sub-keys).", 1,
          2, Delete}},
        {"export",
         {"export KEY FILE [--subkeys]",
          "Writes KEY (and with --subkeys every key below it) to a new REGEDIT4 file.", 2, 3,
          Export}},
        {"import", {"import FILE", "Applies a REGEDIT4 file.", 1, 1, Import}},
    };
    return commands;
}

void PrintHelp() {
    std::printf(
        "Usage: quorvel-reg COMMAND ARGUMENTS\n"
        "Reads and changes the settings registry. KEY is a full path such as\n"
        "HKCU\\Software\\Quorvel (roots: HKCU, HKLM, HKCR, HKUS, HKCC, HKPD, HKDD or their\n"
        "long names). The per-user hive is $QUORVEL_USER_HIVE or\n"
        "$XDG_CONFIG_HOME/quorvel/user.hive; the machine hive $QUORVEL_MACHINE_HIVE or\n"
        "/var/lib/quorvel/machine.hive.\n\nCommands:\n");
    for (const auto& [name, command] : Commands())
        std::printf("  %s\n", command.usage);
    std::printf(
        "\nquorvel-reg COMMAND --help describes one command. Exit status: 0 done, 1 failed,\n"
        "2 bad arguments.\n");
}

}  // namespace

int RunRegTool(const Args& args) {
    if (args.empty())
        return Usage("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp();
        return kExitOk;
    }
    const auto found = Commands().find(args[0]);
    if (found == Commands().end())
        return Usage("unknown command \"" + args[0] + "\"");
    const Command& command = found->second;
    const Args rest(args.begin() + 1, args.end());
    // Only right after the command: anywhere else "-h" is a name or data like any other.
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
        std::printf("Usage: quorvel-reg %s\n%s\n", command.usage, command.help);
        return kExitOk;
    }
    if (rest.size() < command.minArgs || rest.size() > command.maxArgs) {
        return Usage("usage: quorvel-reg " + std::string(command.usage));
    }
    if (args[0] != "import") {
        const std::string& key = rest[0] == "--subkeys" && rest.size() > 1 ? rest[1] : rest[0];
        if (reg::ParseKeyPath(key).root == reg::kNoKey) {
            return Usage("unknown root key in \"" + key + "\"");
        }
    }
    return command.run(rest);
}

}  // namespace quorvel::regtool
