#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

// How the engine shows pictures: drawn by the player widget through the render API, or
// nowhere (tests and tools with no display).
enum class VideoOutput { Render, Null };

struct SessionOptions {
    VideoOutput video = VideoOutput::Render;
    // The engine's audio output; empty for its default ("null" plays silently).
    std::string audioOutput;
    // How long a network read may stall before the address counts as dead. The engine's
    // own default of 60 s would leave the user waiting a minute for a dead server.
    int networkTimeoutSeconds = 8;
    // Decode video on the graphics card where the engine finds a safe way to; it falls back
    // to the processor by itself.
    bool hardwareDecoding = true;
    // The wait before the first try to reopen a live stream that dropped; each further try
    // waits twice as long.
    int reconnectDelayMs = 1000;
    // Where the engine keeps what it received of a stream, so that a live one can be paused
    // and rewound; empty leaves its cache in memory. At most timeshiftBytes stay on disk.
    std::string timeshiftFolder = {};
    std::int64_t timeshiftBytes = std::int64_t(1024) * 1024 * 1024;
};

}  // namespace quorvel
