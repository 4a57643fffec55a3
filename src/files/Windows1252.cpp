#include "files/Windows1252.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace quorvel {
namespace {

// One conversion direction; iconv_t is not thread-safe, so each thread keeps its own.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_handle(iconv_open(to, from)) {
        if (m_handle == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Iconv() { iconv_close(m_handle); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts as much as it can; returns false with errno set where it stopped.
    bool Convert(std::string_view& in, std::string& out) {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        bool ok = true;
        while (srcLeft > 0) {
            std::array<char, 4096> buffer;
            char* dst = buffer.data();
            std::size_t dstLeft = buffer.size();
            const std::size_t rc = iconv(m_handle, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer.data(), buffer.size() - dstLeft);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                ok = false;
                break;
            }
        }
        in.remove_prefix(in.size() - srcLeft);
        return ok;
    }

private:
    iconv_t m_handle;
};

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

bool IsUndefinedIn1252(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

// Length of the UTF-8 sequence that starts with `lead`, or 1 for a stray byte.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
    if (IsAscii(bytes))
        return std::string(bytes);
    thread_local Iconv converter("UTF-8", "WINDOWS-1252");
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    while (!converter.Convert(bytes, out)) {
        // Only the undefined bytes stop the converter.
        const auto byte = static_cast<unsigned char>(bytes.front());
        if (IsUndefinedIn1252(byte)) {
            out.push_back(char(0xC2));
            out.push_back(char(byte));
        } else {
            out.push_back('?');
        }
        bytes.remove_prefix(1);
    }
    return out;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
    if (IsAscii(utf8))
        return std::string(utf8);
    thread_local Iconv converter("WINDOWS-1252", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    while (!converter.Convert(utf8, out)) {
        if (utf8.empty())
            break;
        const auto lead = static_cast<unsigned char>(utf8.front());
        // Skip the whole broken sequence, but never a byte that starts the next one.
        const std::size_t expected = Utf8SequenceLength(lead);
        std::size_t length = 1;
        while (length < expected && length < utf8.size() &&
               (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80) {
            ++length;
        }
        // U+0081 and friends are the undefined bytes coming back.
        if (length == 2 && lead == 0xC2 && IsUndefinedIn1252(static_cast<unsigned char>(utf8[1]))) {
            out.push_back(utf8[1]);
        } else {
            out.push_back('?');
        }
        utf8.remove_prefix(length);
    }
    return out;
}

unsigned char FoldCase1252(unsigned char byte) {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<unsigned char>(i);
        for (int c = 'A'; c <= 'Z'; ++c)
            t[c] = static_cast<unsigned char>(c + 32);
        for (int c = 0xC0; c <= 0xDE; ++c) {
            if (c != 0xD7)
                t[c] = static_cast<unsigned char>(c + 32);  // not the multiplication sign
        }
        t[0x8A] = 0x9A;  // Š
        t[0x8C] = 0x9C;  // Œ
        t[0x8E] = 0x9E;  // Ž
        t[0x9F] = 0xFF;  // Ÿ
        return t;
    }();
    return table[byte];
}

}  // namespace quorvel
