#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvel::tool {

// A wrong command line; main prints it on one line and exits with status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Arguments of one subcommand: positionals, "--name value" / "--name=value" options and
// "--help". Options not in `known` are usage errors.
class CommandLine {
public:
    CommandLine(const std::vector<std::string>& args, const std::vector<std::string>& known);

    bool HelpWanted() const { return m_help; }
    const std::vector<std::string>& Positionals() const { return m_positionals; }
    std::optional<std::string> Option(const std::string& name) const;
    // Fails unless there are between min and max positionals.
    void ExpectPositionals(std::size_t min, std::size_t max) const;

private:
    bool m_help = false;
    std::vector<std::string> m_positionals;
    std::map<std::string, std::string> m_options;
};

// Writes all of `bytes` to stdout; false when the write failed.
bool WriteStdout(const std::string& bytes);

}  // namespace quorvel::tool
