#include "net/FetchUrlText.h"

namespace quorvel {
namespace {

std::string Megabytes(std::uint64_t bytes) {
    return std::to_string((bytes + 512 * 1024) / (1024 * 1024)) + " MB";
}

std::string Duration(long milliseconds) {
    const long seconds = (milliseconds + 999) / 1000;
    if (seconds >= 120 && seconds % 60 == 0)
        return std::to_string(seconds / 60) + " minutes";
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

std::string Reason(const HttpResponse& response, const HttpRequest& request) {
    switch (response.failure) {
        case HttpFailure::None:
            return {};
        case HttpFailure::Cancelled:
            return "The download was cancelled.";
        case HttpFailure::TooLarge:
            return "The page is larger than " + Megabytes(request.maxBytes) + ".";
        case HttpFailure::ConnectTimeout:
            return "The server could not be reached within " + Duration(request.connectTimeoutMs) +
                   ".";
        case HttpFailure::Stalled:
            return "The server stopped answering (nothing arrived for " +
                   Duration(request.stallTimeoutSeconds * 1000) + ").";
        case HttpFailure::Deadline:
            return "The download did not finish within " + Duration(request.deadlineMs) +
                   "; it was stopped.";
        case HttpFailure::HttpError:
            return "The server answered with HTTP error " + std::to_string(response.httpStatus) +
                   ".";
        case HttpFailure::RedirectRefused:
            return "The server sent the download to an address that is not http or https.";
        case HttpFailure::SchemeRefused:
            return "Only http and https addresses can be downloaded.";
        case HttpFailure::ConnectionRefused:
        case HttpFailure::Other:
            break;
    }
    return response.detail.empty() ? "The download failed." : response.detail;
}

}  // namespace

HttpRequest TextDownload(std::string url) {
    HttpRequest request;
    request.url = std::move(url);
    request.userAgent = "Mozilla";
    request.noCache = true;
    request.connectTimeoutMs = 15'000;
    // Nothing for this long ends it; a large page over a slow line still arrives.
    request.stallTimeoutSeconds = 30;
    request.maxBytes = 32ull * 1024 * 1024;
    request.schemes = "http,https";
    request.maxRedirects = 10;
    return request;
}

FetchedText FetchUrlText(const HttpRequest& request) {
    HttpResponse response = Fetch(request);
    FetchedText result;
    result.httpStatus = response.httpStatus;
    result.cancelled = response.failure == HttpFailure::Cancelled;
    result.tooSlow = response.failure == HttpFailure::Deadline;
    result.error = Reason(response, request);
    if (response.Ok())
        result.text = std::move(response.body);
    return result;
}

}  // namespace quorvel
