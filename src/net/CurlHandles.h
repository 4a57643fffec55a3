#pragma once

// Owning handles for libcurl objects, shared by every module that talks HTTP.

#include <curl/curl.h>

#include <memory>

namespace quorvel {

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlMultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;

struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

struct CurlUrlDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;

struct CurlTextDeleter {
    void operator()(char* text) const { curl_free(text); }
};
using CurlText = std::unique_ptr<char, CurlTextDeleter>;

// An easy handle while it is part of a multi handle: leaving the multi comes first.
class CurlTransfer {
public:
    CurlTransfer(CURLM* multi, CurlEasy easy) : m_multi(multi), m_easy(std::move(easy)) {
        m_added = curl_multi_add_handle(m_multi, m_easy.get()) == CURLM_OK;
    }
    ~CurlTransfer() {
        if (m_added)
            curl_multi_remove_handle(m_multi, m_easy.get());
    }
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    bool Added() const { return m_added; }
    CURL* Get() const { return m_easy.get(); }

private:
    CURLM* m_multi;
    CurlEasy m_easy;
    bool m_added = false;
};

}  // namespace quorvel
