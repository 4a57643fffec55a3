#include "net/FetchUrlText.h"

#include <curl/curl.h>

#include <mutex>

#include "net/CurlHandles.h"

namespace quorvel {
namespace {

struct Transfer {
    const FetchOptions* options = nullptr;
    std::string body;
    bool tooLarge = false;
};

std::size_t OnData(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->options->maxBytes) {
        transfer->tooLarge = true;
        return 0;  // curl stops with a write error
    }
    transfer->body.append(data, bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<const Transfer*>(user);
    const FetchOptions& options = *transfer->options;
    if (options.cancel && options.cancel->load())
        return 1;
    if (options.progress) {
        options.progress(static_cast<std::uint64_t>(received < 0 ? 0 : received),
                         static_cast<std::uint64_t>(total < 0 ? 0 : total));
    }
    return 0;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string Megabytes(std::uint64_t bytes) {
    return std::to_string((bytes + 512 * 1024) / (1024 * 1024)) + " MB";
}

std::string Reason(CURLcode code, const char* detail, const Transfer& transfer, CURL* handle,
                   const FetchOptions& options) {
    switch (code) {
        case CURLE_ABORTED_BY_CALLBACK:
            return "The download was cancelled.";
        case CURLE_FILESIZE_EXCEEDED:
            return "The page is larger than " + Megabytes(options.maxBytes) + ".";
        case CURLE_WRITE_ERROR:
            if (transfer.tooLarge)
                return "The page is larger than " + Megabytes(options.maxBytes) + ".";
            break;
        case CURLE_OPERATION_TIMEDOUT: {
            curl_off_t connected = 0;
            curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connected);
            if (connected == 0) {
                return "The server could not be reached within " +
                       std::to_string(options.connectTimeoutSeconds) + " seconds.";
            }
            return "The server stopped answering (nothing arrived for " +
                   std::to_string(options.stallTimeoutSeconds) + " seconds).";
        }
        case CURLE_UNSUPPORTED_PROTOCOL: {
            long redirects = 0;
            curl_easy_getinfo(handle, CURLINFO_REDIRECT_COUNT, &redirects);
            char* next = nullptr;
            curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &next);
            if (redirects > 0 || next)
                return "The server sent the download to an address that is not http or https.";
            return "Only http and https addresses can be downloaded.";
        }
        default:
            break;
    }
    return detail[0] ? detail : curl_easy_strerror(code);
}

}  // namespace

FetchedText FetchUrlText(std::string_view url, const FetchOptions& options) {
    InitCurlOnce();
    FetchedText result;
    CurlEasy curl(curl_easy_init());
    if (!curl) {
        result.error = "The network library could not start.";
        return result;
    }
    Transfer transfer;
    transfer.options = &options;
    char detail[CURL_ERROR_SIZE] = {};
    const std::string address(url);
    // No cached copy anywhere between here and the server.
    CurlList headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    if (headers)
        headers.reset(curl_slist_append(headers.release(), "Pragma: no-cache"));

    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla");
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, options.stallTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, detail);

    const CURLcode code = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    if (code != CURLE_OK) {
        result.cancelled = code == CURLE_ABORTED_BY_CALLBACK;
        result.error = Reason(code, detail, transfer, h, options);
    } else if (result.httpStatus >= 400) {
        result.error =
            "The server answered with HTTP error " + std::to_string(result.httpStatus) + ".";
    } else {
        result.text = std::move(transfer.body);
    }
    return result;
}

}  // namespace quorvel
