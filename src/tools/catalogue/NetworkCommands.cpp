#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Commands.h"

#ifndef QUORVEL_TOOL_HELPERS_FROM_BIN
#define QUORVEL_TOOL_HELPERS_FROM_BIN "../libexec/quorvel"
#endif

namespace quorvel::tool {
namespace {

constexpr const char* kNetworkProgram = "quorvel-catalogue-net";

// Beside this program in a build or a copied folder; in its helpers' folder when installed.
std::filesystem::path NetworkProgram() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    const std::filesystem::path folder = self.parent_path();
    const std::filesystem::path beside = folder / kNetworkProgram;
    if (std::filesystem::exists(beside, ec))
        return beside;
    return (folder / QUORVEL_TOOL_HELPERS_FROM_BIN / kNetworkProgram).lexically_normal();
}

}  // namespace

int RunNetworkCommand(const std::string& command, const std::vector<std::string>& args) {
    const std::filesystem::path program = NetworkProgram();
    const std::string path = program.string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    argv.push_back(const_cast<char*>(command.c_str()));
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (!path.empty())
        ::execv(path.c_str(), argv.data());
    const int err = path.empty() ? ENOENT : errno;
    std::fprintf(stderr, "quorvel-catalogue %s: cannot start %s (%s)\n", command.c_str(),
                 path.empty() ? kNetworkProgram : path.c_str(), std::strerror(err));
    return 1;
}

}  // namespace quorvel::tool
