#pragma once

#include <string>

#include "net/HttpRequest.h"

namespace quorvel {

struct FetchedText {
    // The body's bytes as the server sent them; empty whenever the fetch failed.
    std::string text;
    // Why it failed, in words for the user; empty on success.
    std::string error;
    bool cancelled = false;
    // The download ran past its overall deadline.
    bool tooSlow = false;
    long httpStatus = 0;

    bool Ok() const { return error.empty(); }
};

// A download for the user: GET as "Mozilla", never answered from a cache, over http or
// https only, a connect and a stall timeout and a 32 MB cap. Each caller adds its overall
// deadline, since a server can trickle a byte at a time without end.
HttpRequest TextDownload(std::string url);

// An error status (400 and up), a timeout, a body over the size limit or a cancel all give
// empty text and a reason. Blocks: run it off the GUI thread.
FetchedText FetchUrlText(const HttpRequest& request);

}  // namespace quorvel
