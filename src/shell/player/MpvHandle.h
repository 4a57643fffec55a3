#pragma once

#include <mpv/client.h>

#include <memory>

namespace quorvel {

struct MpvHandleDeleter {
    void operator()(mpv_handle* handle) const { mpv_terminate_destroy(handle); }
};
using MpvHandle = std::unique_ptr<mpv_handle, MpvHandleDeleter>;

struct MpvNodeDeleter {
    void operator()(mpv_node* node) const {
        mpv_free_node_contents(node);
        delete node;
    }
};
using MpvNodePtr = std::unique_ptr<mpv_node, MpvNodeDeleter>;

}  // namespace quorvel
