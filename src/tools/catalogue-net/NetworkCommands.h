#pragma once

#include <string>
#include <vector>

namespace quorvel::tool {

// The catalogue tool's commands that go on the network; exit statuses as the tool's others.
int RunCheck(const std::vector<std::string>& args);

}  // namespace quorvel::tool
