#include "playback/PlaylistFetch.h"

#include <algorithm>

namespace quorvel {

HttpRequest PlaylistRequest(std::string url, long deadlineMs) {
    HttpRequest request;
    request.url = std::move(url);
    request.maxBytes = 1024 * 1024;
    request.deadlineMs = std::max(1L, deadlineMs);
    request.connectTimeoutMs = std::min(5000L, request.deadlineMs);
    request.maxRedirects = 5;
    return request;
}

std::string PlaylistFetchError(const HttpResponse& response, const HttpRequest& request) {
    switch (response.failure) {
        case HttpFailure::None:
            return {};
        case HttpFailure::TooLarge:
            return "The answer is larger than " + std::to_string(request.maxBytes) + " bytes.";
        case HttpFailure::Cancelled:
            return "Cancelled.";
        case HttpFailure::HttpError:
            return "HTTP error " + std::to_string(response.httpStatus);
        default:
            return response.detail;
    }
}

bool PlaylistRefused(const HttpResponse& response) {
    switch (response.failure) {
        case HttpFailure::TooLarge:
        case HttpFailure::Deadline:
        case HttpFailure::ConnectTimeout:
        case HttpFailure::Stalled:
            return true;
        default:
            return false;
    }
}

}  // namespace quorvel
