#pragma once

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
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

// Calls fn(lineNumber, line) for each line of a plain input text, counted from 1. Lines end
// at LF or CR LF (the CR is not part of the line); a last line without LF counts. Stops
// when fn returns false.
template <class Fn>
void ForEachInputLine(std::string_view text, Fn&& fn) {
    std::size_t start = 0;
    std::size_t lineNumber = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start && text[end - 1] == '\r')
            --end;
        if (!fn(++lineNumber, text.substr(start, end - start)))
            return;
        start = next;
    }
}

// The catalogue tool's main: runs the command named first through `run` with the rest of
// the arguments. A usage error exits with status 2, any other failure with 1, each told on
// one line naming the command.
using ToolCommand =
    std::function<int(const std::string& command, const std::vector<std::string>& args)>;
int RunCatalogueTool(int argc, char** argv, const ToolCommand& run);

// Writes all of `bytes` to stdout; false when the write failed.
bool WriteStdout(std::string_view bytes);

}  // namespace quorvel::tool
