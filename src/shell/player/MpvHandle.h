#pragma once

#include <mpv/client.h>

#include <memory>

namespace quorvel {

struct MpvHandleDeleter {
    void operator()(mpv_handle* handle) const { mpv_terminate_destroy(handle); }
};
using MpvHandle = std::unique_ptr<mpv_handle, MpvHandleDeleter>;

// A node the engine filled in (a command's result), freed with it.
struct MpvNodeResult {
    mpv_node node{};
    MpvNodeResult() = default;
    ~MpvNodeResult() { mpv_free_node_contents(&node); }
    MpvNodeResult(const MpvNodeResult&) = delete;
    MpvNodeResult& operator=(const MpvNodeResult&) = delete;
};

}  // namespace quorvel
