#include "guide/Decompressor.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace quorvel::guide {
namespace {

constexpr std::size_t kOutSize = 256 * 1024;
// xz -9 needs 65 MB to unpack; a file that asks for more is refused rather than obeyed.
constexpr std::uint64_t kXzMemoryLimit = 96ull * 1024 * 1024;
constexpr unsigned char kGzipMagic[] = {0x1f, 0x8b};
constexpr unsigned char kXzMagic[] = {0xfd, '7', 'z', 'X', 'Z', 0x00};

bool StartsWith(std::string_view bytes, const unsigned char* magic, std::size_t size) {
    return bytes.size() >= size && std::memcmp(bytes.data(), magic, size) == 0;
}

// True when `bytes` could still grow into the magic of a packed format.
bool CouldBePacked(std::string_view bytes) {
    const std::size_t gz = std::min(bytes.size(), sizeof kGzipMagic);
    const std::size_t xz = std::min(bytes.size(), sizeof kXzMagic);
    return (bytes.size() < sizeof kGzipMagic && std::memcmp(bytes.data(), kGzipMagic, gz) == 0) ||
           (bytes.size() < sizeof kXzMagic && std::memcmp(bytes.data(), kXzMagic, xz) == 0);
}

}  // namespace

struct Decompressor::Gzip {
    z_stream stream{};
    bool ready = false;
    Gzip() {
        // 15 + 32: the largest window, gzip or zlib header told by the header itself.
        ready = inflateInit2(&stream, 15 + 32) == Z_OK;
    }
    ~Gzip() {
        if (ready)
            inflateEnd(&stream);
    }
};

struct Decompressor::Xz {
    lzma_stream stream = LZMA_STREAM_INIT;
    bool ready = false;
    Xz() { ready = lzma_stream_decoder(&stream, kXzMemoryLimit, LZMA_CONCATENATED) == LZMA_OK; }
    ~Xz() { lzma_end(&stream); }
};

Decompressor::Decompressor(std::uint64_t maxOutput, Sink sink)
    : m_maxOutput(maxOutput), m_sink(std::move(sink)) {}

Decompressor::~Decompressor() = default;

bool Decompressor::Fail(std::string message) {
    m_failed = true;
    m_error = std::move(message);
    return false;
}

bool Decompressor::Emit(const char* data, std::size_t size) {
    if (size == 0)
        return true;
    if (size > m_maxOutput - m_output) {
        m_tooLarge = true;
        return Fail("larger than " + std::to_string(m_maxOutput / (1024 * 1024)) +
                    " MB unpacked, refused");
    }
    m_output += size;
    if (!m_sink({data, size})) {
        m_failed = true;
        return false;
    }
    return true;
}

bool Decompressor::Start(std::string_view head) {
    if (StartsWith(head, kGzipMagic, sizeof kGzipMagic)) {
        m_format = Format::Gzip;
        m_gzip = std::make_unique<Gzip>();
        if (!m_gzip->ready)
            return Fail("gzip could not start");
    } else if (StartsWith(head, kXzMagic, sizeof kXzMagic)) {
        m_format = Format::Xz;
        m_xz = std::make_unique<Xz>();
        if (!m_xz->ready)
            return Fail("xz could not start");
    } else {
        m_format = Format::Plain;
        return true;
    }
    m_out = std::make_unique<char[]>(kOutSize);
    return true;
}

bool Decompressor::Feed(std::string_view bytes) {
    if (m_failed)
        return false;
    if (m_format == Format::Unknown) {
        if (m_head.empty() && !CouldBePacked(bytes)) {
            if (!Start(bytes))
                return false;
        } else {
            m_head.append(bytes);
            if (CouldBePacked(m_head))
                return true;
            if (!Start(m_head))
                return false;
            std::string head = std::move(m_head);
            m_head.clear();
            return Feed(head);
        }
    }
    switch (m_format) {
        case Format::Gzip:
            return Inflate(bytes, false);
        case Format::Xz:
            return Unxz(bytes, false);
        default:
            return Emit(bytes.data(), bytes.size());
    }
}

bool Decompressor::Inflate(std::string_view bytes, bool last) {
    z_stream& z = m_gzip->stream;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    while (z.avail_in > 0) {
        if (m_ended) {
            // Padding after the end is ignored; another gzip member (as `cat a.gz b.gz`
            // makes) is read on.
            if (static_cast<unsigned char>(*z.next_in) != kGzipMagic[0])
                return true;
            if (inflateReset(&z) != Z_OK)
                return Fail("gzip could not go on");
            m_ended = false;
        }
        z.next_out = reinterpret_cast<Bytef*>(m_out.get());
        z.avail_out = kOutSize;
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            return Fail(std::string("gzip data broken: ") + (z.msg ? z.msg : "inflate failed"));
        if (!Emit(m_out.get(), kOutSize - z.avail_out))
            return false;
        if (status == Z_STREAM_END)
            m_ended = true;
        else if (status == Z_BUF_ERROR && z.avail_out != 0)
            break;
    }
    // Output still held back inside zlib after the input ran out.
    while (!m_ended && z.avail_in == 0) {
        z.next_out = reinterpret_cast<Bytef*>(m_out.get());
        z.avail_out = kOutSize;
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            return Fail(std::string("gzip data broken: ") + (z.msg ? z.msg : "inflate failed"));
        const std::size_t made = kOutSize - z.avail_out;
        if (!Emit(m_out.get(), made))
            return false;
        if (status == Z_STREAM_END)
            m_ended = true;
        if (made < kOutSize)
            break;
    }
    if (last && !m_ended)
        return Fail("gzip data ends early");
    return true;
}

bool Decompressor::Unxz(std::string_view bytes, bool last) {
    lzma_stream& x = m_xz->stream;
    x.next_in = reinterpret_cast<const uint8_t*>(bytes.data());
    x.avail_in = bytes.size();
    const lzma_action action = last ? LZMA_FINISH : LZMA_RUN;
    for (;;) {
        x.next_out = reinterpret_cast<uint8_t*>(m_out.get());
        x.avail_out = kOutSize;
        const lzma_ret status = lzma_code(&x, action);
        if (!Emit(m_out.get(), kOutSize - x.avail_out))
            return false;
        if (status == LZMA_STREAM_END) {
            m_ended = true;
            return true;
        }
        if (status == LZMA_BUF_ERROR && last)
            return Fail("xz data ends early");
        if (status != LZMA_OK && status != LZMA_BUF_ERROR)
            return Fail(status == LZMA_MEMLIMIT_ERROR || status == LZMA_MEM_ERROR
                            ? "xz data needs too much memory"
                            : "xz data broken");
        if (x.avail_in == 0 && x.avail_out != 0)
            return !last || Fail("xz data ends early");
    }
}

bool Decompressor::Finish() {
    if (m_failed)
        return false;
    if (m_format == Format::Unknown) {
        if (!Start(m_head))
            return false;
        std::string head = std::move(m_head);
        m_head.clear();
        if (m_format == Format::Plain)
            return Emit(head.data(), head.size());
        if (!(m_format == Format::Gzip ? Inflate(head, true) : Unxz(head, true)))
            return false;
        return true;
    }
    if (m_format == Format::Gzip)
        return Inflate({}, true);
    if (m_format == Format::Xz)
        return Unxz({}, true);
    return true;
}

}  // namespace quorvel::guide
