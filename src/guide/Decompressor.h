#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quorvel::guide {

// Plain bytes, gzip or xz, told by the first bytes, turned into plain bytes piece by piece.
// Never holds more than one piece of output. Past `maxOutput` bytes of output it fails, so a
// small file that unpacks without end costs no more than the cap.
class Decompressor {
public:
    enum class Format { Unknown, Plain, Gzip, Xz };
    // Takes each piece of output; returns false to stop.
    using Sink = std::function<bool(std::string_view plain)>;

    Decompressor(std::uint64_t maxOutput, Sink sink);
    ~Decompressor();
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // False once anything failed or the sink stopped; Error() then says why (empty when the
    // sink stopped).
    bool Feed(std::string_view bytes);
    // The input is over: false when the packed data ended early.
    bool Finish();

    Format DetectedFormat() const { return m_format; }
    std::uint64_t Output() const { return m_output; }
    bool TooLarge() const { return m_tooLarge; }
    const std::string& Error() const { return m_error; }

    struct Gzip;
    struct Xz;

private:
    bool Start(std::string_view head);
    bool Emit(const char* data, std::size_t size);
    bool Fail(std::string message);
    bool Inflate(std::string_view bytes, bool last);
    bool Unxz(std::string_view bytes, bool last);

    std::uint64_t m_maxOutput;
    Sink m_sink;
    Format m_format = Format::Unknown;
    std::string m_head;  // the first bytes, while too few to tell the format
    std::uint64_t m_output = 0;
    bool m_failed = false;
    bool m_tooLarge = false;
    bool m_ended = false;  // the packed stream reached its end mark
    std::string m_error;
    std::unique_ptr<Gzip> m_gzip;
    std::unique_ptr<Xz> m_xz;
    std::unique_ptr<char[]> m_out;
};

}  // namespace quorvel::guide
