#pragma once

#include <string>
#include <vector>

namespace quorvel::regtool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs one command line of quorvel-reg (without the program name); output and one-line
// errors go to the standard streams. Returns the exit status.
int RunRegTool(const std::vector<std::string>& args);

}  // namespace quorvel::regtool
