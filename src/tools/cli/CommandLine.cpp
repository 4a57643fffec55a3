#include "CommandLine.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace quorvel::tool {

CommandLine::CommandLine(const std::vector<std::string>& args,
                         const std::vector<std::string>& known) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            m_positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help") {
            m_help = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? arg.npos : equals - 2);
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            throw UsageError("unknown option --" + name);
        }
        if (equals != std::string::npos) {
            m_options[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            m_options[name] = args[++i];
        } else {
            throw UsageError("option --" + name + " needs a value");
        }
    }
}

std::optional<std::string> CommandLine::Option(const std::string& name) const {
    const auto it = m_options.find(name);
    if (it == m_options.end())
        return std::nullopt;
    return it->second;
}

void CommandLine::ExpectPositionals(std::size_t min, std::size_t max) const {
    if (m_positionals.size() < min)
        throw UsageError("missing FILE argument");
    if (m_positionals.size() > max)
        throw UsageError("unexpected argument " + m_positionals[max]);
}

int RunCatalogueTool(int argc, char** argv, const ToolCommand& run) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "quorvel-catalogue: missing command (see --help)\n");
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    try {
        return run(command, args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "quorvel-catalogue %s: %s\n", command.c_str(), e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvel-catalogue %s: %s\n", command.c_str(), e.what());
        return 1;
    }
}

bool WriteStdout(std::string_view bytes) {
    // Straight to the descriptor: a listing's large pieces would gain nothing from stdio's
    // buffer but a copy and two more writes each.
    if (std::fflush(stdout) != 0)
        return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace quorvel::tool
