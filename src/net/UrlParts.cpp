#include "net/UrlParts.h"

#include <cstdlib>

#include "net/CurlHandles.h"

namespace quorvel {

std::optional<HostAndPort> ParseHostAndPort(const std::string& address) {
    CurlUrl url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
                    CURLUE_OK) {
        return std::nullopt;
    }
    char* hostPart = nullptr;
    if (curl_url_get(url.get(), CURLUPART_HOST, &hostPart, 0) != CURLUE_OK)
        return std::nullopt;
    const CurlText host(hostPart);
    HostAndPort parts;
    parts.host = host.get();
    char* portPart = nullptr;
    if (curl_url_get(url.get(), CURLUPART_PORT, &portPart, 0) == CURLUE_OK) {
        const CurlText text(portPart);
        parts.port = std::atoi(text.get());
    }
    return parts;
}

}  // namespace quorvel
