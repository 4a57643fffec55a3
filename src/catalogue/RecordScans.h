#pragma once

// The two ways the record walk finds line ends and field separators in a piece of the file.
// Each has Walk and Shift as WalkLines (RecordWalk.h) describes them.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "catalogue/ChannelRecord.h"
#include "catalogue/LineCodec.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quorvel::detail {

inline constexpr char kEncodedSeparator = static_cast<char>(EncodeByte(kFieldSeparator));

// Returned by a walk whose callee stopped it.
inline constexpr std::size_t kWalkStopped = SIZE_MAX;

// Line ends by memchr, which the C library runs with the widest vectors the processor has,
// then the splitter on each line.
class PortableRecordScan {
public:
    template <class Fn>
    std::size_t Walk(char* data, std::size_t filled, bool atEnd, std::size_t& lineNumber, Fn& fn) {
        std::size_t start = 0;
        for (;;) {
            const void* cr = std::memchr(data + m_searched, '\r', filled - m_searched);
            if (cr == nullptr) {
                m_searched = filled;
                break;
            }
            const auto stop = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
            if (stop + 1 == filled && !atEnd) {  // whether LF follows is known only later
                m_searched = stop;
                break;
            }
            if (!Hand(data + start, stop - start, lineNumber, fn))
                return kWalkStopped;
            start = stop + 1;
            if (start < filled && data[start] == '\n')
                ++start;
            m_searched = start;
        }
        if (!atEnd)
            return start;
        if (start < filled && !Hand(data + start, filled - start, lineNumber, fn))
            return kWalkStopped;
        return filled;
    }

    void Shift(std::size_t by) { m_searched -= by; }

private:
    template <class Fn>
    static bool Hand(char* line, std::size_t size, std::size_t& lineNumber, Fn& fn) {
        return fn(++lineNumber, line, size, SplitRecordFields({line, size}, kEncodedSeparator));
    }

    std::size_t m_searched = 0;  // bytes known to hold no CR
};

#if defined(__x86_64__)

// Line ends and separators 64 bytes at a time, each block loaded and compared once however
// many lines it holds: no line waits for the end of the one before it to be found. `data`
// starts on a 64-byte boundary.
class WideRecordScan {
public:
    template <class Fn>
    [[gnu::target("avx512bw")]] std::size_t Walk(char* data, std::size_t filled, bool atEnd,
                                                 std::size_t& lineNumber, Fn& fn) {
        const __m512i crs = _mm512_set1_epi8('\r');
        const __m512i separators = _mm512_set1_epi8(kEncodedSeparator);
        std::size_t start = 0;
        std::size_t pos = m_pos;
        std::array<std::size_t, 4> ends = m_ends;
        int count = m_count;
        while (pos < filled) {
            // Blocks on 64-byte boundaries of the buffer, which starts on one, masked to the
            // bytes read and not yet scanned: nothing past the data is read.
            const std::size_t block = pos & ~std::size_t{63};
            const std::size_t left = filled - block;
            const __mmask64 in = (left >= 64 ? ~__mmask64{0} : (__mmask64{1} << left) - 1) &
                                 (~__mmask64{0} << (pos - block));
            const __m512i bytes = _mm512_maskz_loadu_epi8(in, data + block);
            std::uint64_t cr = _mm512_mask_cmpeq_epi8_mask(in, bytes, crs);
            std::uint64_t found = _mm512_mask_cmpeq_epi8_mask(in, bytes, separators);
            for (; cr != 0; cr &= cr - 1) {
                const std::uint64_t before = (cr & (0 - cr)) - 1;
                Take(found & before, block, ends, count);
                found &= ~before;
                const std::size_t stop = block + static_cast<std::size_t>(std::countr_zero(cr));
                if (stop + 1 == filled && !atEnd) {  // whether LF follows is known only later
                    Keep(stop, ends, count);
                    return start;
                }
                if (!fn(++lineNumber, data + start, stop - start,
                        Fields(data + start, stop - start, start, ends, count)))
                    return kWalkStopped;
                start = stop + 1;
                if (start < filled && data[start] == '\n')
                    ++start;
                count = 0;
            }
            Take(found, block, ends, count);
            pos = left >= 64 ? block + 64 : filled;
        }
        if (!atEnd) {
            Keep(filled, ends, count);
            return start;
        }
        if (start < filled && !fn(++lineNumber, data + start, filled - start,
                                  Fields(data + start, filled - start, start, ends, count)))
            return kWalkStopped;
        return filled;
    }

    void Shift(std::size_t by) {
        m_pos -= by;
        for (int i = 0; i < m_count; ++i)
            m_ends[static_cast<std::size_t>(i)] -= by;
    }

private:
    // The first four separators of a line: the rest are no field's end.
    static void Take(std::uint64_t found, std::size_t pos, std::array<std::size_t, 4>& ends,
                     int& count) {
        // count < 4 is known, so the index goes unchecked even in a hardened build.
        for (; found != 0 && count < 4; found &= found - 1)
            ends.data()[count++] = pos + static_cast<std::size_t>(std::countr_zero(found));
    }

    // Where the next walk goes on, with what it found of the unfinished line.
    void Keep(std::size_t pos, const std::array<std::size_t, 4>& ends, int count) {
        m_pos = pos;
        m_ends = ends;
        m_count = count;
    }

    // The fields of the line at buffer offset `start`, from its separators' offsets.
    static RecordFields Fields(const char* line, std::size_t size, std::size_t start,
                               const std::array<std::size_t, 4>& ends, int count) {
        RecordFields fields;
        if (count == 0)
            return fields;                                    // no separator: no record
        std::string_view* const field = fields.field.data();  // count <= 4: unchecked
        std::size_t from = 0;
        for (int i = 0; i < count; ++i) {
            const std::size_t end = ends.data()[i] - start;
            field[i] = std::string_view(line + from, end - from);
            from = end + 1;
        }
        fields.count = count;
        if (count < 4)
            field[fields.count++] = std::string_view(line + from, size - from);
        return fields;
    }

    std::size_t m_pos = 0;  // bytes before it are scanned; the unfinished line's state:
    std::array<std::size_t, 4> m_ends{};
    int m_count = 0;
};

#endif

}  // namespace quorvel::detail
