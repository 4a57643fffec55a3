#pragma once

#include <optional>
#include <string>

namespace quorvel {

struct HostAndPort {
    std::string host;
    int port = 0;  // 0 when the address names none
};

// The host and port of an address of any scheme, as the network library parses it;
// nothing when it has no host.
std::optional<HostAndPort> ParseHostAndPort(const std::string& address);

}  // namespace quorvel
