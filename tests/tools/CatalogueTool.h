#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace quorvel::test {

// Runs the built catalogue tool with these arguments (and standard input).
inline ProcessResult CatalogueTool(const std::vector<std::string>& args,
                                   const std::optional<std::string>& input = std::nullopt) {
    return RunProcess(std::filesystem::path(QUORVEL_BIN_DIR) / "quorvel-catalogue", args, input);
}

}  // namespace quorvel::test
