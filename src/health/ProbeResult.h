#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// How a channel's address answered. Unchecked: the address cannot be probed from here
// (a local file, UDP or RTP multicast) or the check was cancelled before it.
enum class ProbeStatus { Ok, Dead, Timeout, Refused, Unchecked };

struct ProbeResult {
    ProbeStatus status = ProbeStatus::Unchecked;
    long httpStatus = 0;    // of the last HTTP answer, 0 when there was none
    long firstByteMs = -1;  // from the start to the first byte (or the connection), -1 none
    std::string reason;     // for people: "HTTP error 404", "connection refused"...
    bool viaPlaylist = false;
};

// "ok", "dead", "timeout", "refused", "skipped".
std::string_view StatusName(ProbeStatus status);

// Whether a maintainer should think about removing the channel.
inline bool Failed(ProbeStatus status) {
    return status == ProbeStatus::Dead || status == ProbeStatus::Timeout ||
           status == ProbeStatus::Refused;
}

}  // namespace quorvel
