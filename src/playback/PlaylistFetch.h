#pragma once

#include <string>

#include "net/HttpRequest.h"

namespace quorvel {

// The player's fetch of a playlist over http or https: 1 MB at most, and whole within the
// time the open may take (connecting within 5 seconds of it).
HttpRequest PlaylistRequest(std::string url, long deadlineMs);

// Why the fetch failed, for the user ("HTTP error 404", "Connection refused"...).
std::string PlaylistFetchError(const HttpResponse& response, const HttpRequest& request);

// A playlist too large or never finished is refused, where a server that merely failed
// keeps its own reason.
bool PlaylistRefused(const HttpResponse& response);

}  // namespace quorvel
