#include "catalogue/LineCodec.h"

#include <cstring>

namespace quorvel {
namespace {

// 16 bytes at a time with the compiler's vector extension: one add and one compare per
// lane, no table, no branch. Wrapping by 255 instead of 256 is the same as adding one more
// (or one less) to the lanes that wrap, and a vector compare yields -1 in those lanes.
using Bytes16 = unsigned char __attribute__((vector_size(16)));
constexpr std::size_t kLanes = sizeof(Bytes16);

inline Bytes16 Load(const char* p) {
    Bytes16 v;
    std::memcpy(&v, p, kLanes);
    return v;
}

inline void Store(char* p, Bytes16 v) {
    std::memcpy(p, &v, kLanes);
}

inline Bytes16 EncodeLanes(Bytes16 a) {
    const Bytes16 wraps = reinterpret_cast<Bytes16>(a >= 192);  // 0xFF where a + 64 > 255
    return a + 64 - wraps;
}

inline Bytes16 DecodeLanes(Bytes16 a) {
    const Bytes16 wraps = reinterpret_cast<Bytes16>(a < 64);  // 0xFF where a - 64 < 0
    return a - 64 + wraps;
}

}  // namespace

void EncodeBytes(const char* in, char* out, std::size_t size) {
    std::size_t i = 0;
    for (; i + kLanes <= size; i += kLanes)
        Store(out + i, EncodeLanes(Load(in + i)));
    for (; i < size; ++i)
        out[i] = static_cast<char>(EncodeByte(static_cast<unsigned char>(in[i])));
}

void DecodeBytes(const char* in, char* out, std::size_t size) {
    if (size < kLanes) {
        for (std::size_t i = 0; i < size; ++i)
            out[i] = static_cast<char>(DecodeByte(static_cast<unsigned char>(in[i])));
        return;
    }
    // The last 16 bytes are read before anything is written, so an overlapping last store
    // is right in place too; it saves the byte loop that most catalogue lines end with.
    const Bytes16 last = DecodeLanes(Load(in + size - kLanes));
    for (std::size_t i = 0; i + kLanes <= size; i += kLanes)
        Store(out + i, DecodeLanes(Load(in + i)));
    Store(out + size - kLanes, last);
}

std::string EncodeLine(std::string_view text) {
    std::string out(text.size(), '\0');
    EncodeBytes(text.data(), out.data(), text.size());
    return out;
}

std::string DecodeLine(std::string_view text) {
    std::string out(text.size(), '\0');
    DecodeBytes(text.data(), out.data(), text.size());
    return out;
}

}  // namespace quorvel
