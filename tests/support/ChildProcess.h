#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::test {

struct ProcessResult {
    int exitStatus = -1;  // -1 when the program did not end normally
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell), its standard input from `input` (or empty),
// and collects its standard output and error. Times out after `timeoutSeconds`, so a
// hanging program fails the test instead of stalling the run.
ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::optional<std::string>& input = std::nullopt,
                         int timeoutSeconds = 60);

}  // namespace quorvel::test
