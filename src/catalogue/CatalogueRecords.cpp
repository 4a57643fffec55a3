#include "catalogue/CatalogueRecords.h"

#include <array>
#include <bit>
#include <cstdint>

#include "catalogue/LineCodec.h"
#include "catalogue/LineWalk.h"

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace quorvel {
namespace {

constexpr char kEncodedSeparator = static_cast<char>(EncodeByte(kFieldSeparator));

#if defined(__x86_64__)

// Finds a line's end and its first four separators in the same 64-byte loads, sparing a
// second pass over every line. Resumes where it stopped, as LineEndScan does.
class WideRecordScan {
public:
    [[gnu::target("avx512bw")]] std::size_t Find(const char* data, std::size_t filled) {
        const __m512i crs = _mm512_set1_epi8('\r');
        const __m512i separators = _mm512_set1_epi8(kEncodedSeparator);
        std::size_t pos = m_pos;
        int count = m_count;
        std::size_t end = filled;
        for (; pos < filled; pos += 64) {
            const std::size_t left = filled - pos;
            // Masked loads read nothing past the data, so the buffer needs no slack.
            const __mmask64 in = left >= 64 ? ~__mmask64{0} : (__mmask64{1} << left) - 1;
            const __m512i bytes = _mm512_maskz_loadu_epi8(in, data + pos);
            const std::uint64_t cr = _mm512_mask_cmpeq_epi8_mask(in, bytes, crs);
            std::uint64_t found = _mm512_mask_cmpeq_epi8_mask(in, bytes, separators);
            if (cr != 0)
                found &= (cr & (0 - cr)) - 1;  // only those before the line end
            for (; found != 0 && count < 4; found &= found - 1)
                m_ends[static_cast<std::size_t>(count++)] =
                    pos + static_cast<std::size_t>(std::countr_zero(found));
            if (cr != 0) {
                end = pos + static_cast<std::size_t>(std::countr_zero(cr));
                break;
            }
        }
        m_pos = end;
        m_count = count;
        return end;
    }

    void StartLine(std::size_t at) {
        m_pos = m_lineStart = at;
        m_count = 0;
    }

    void Shift(std::size_t by) {
        m_pos -= by;
        m_lineStart -= by;
        for (int i = 0; i < m_count; ++i)
            m_ends[static_cast<std::size_t>(i)] -= by;
    }

    // The fields of the line just found, which starts at `line`.
    RecordFields Fields(const char* line, std::size_t size) const {
        RecordFields fields;
        if (m_count == 0)
            return fields;  // no separator: no record
        std::size_t from = 0;
        for (int i = 0; i < m_count; ++i) {
            const std::size_t end = m_ends[static_cast<std::size_t>(i)] - m_lineStart;
            fields.field[static_cast<std::size_t>(i)] = std::string_view(line + from, end - from);
            from = end + 1;
        }
        fields.count = m_count;
        if (m_count < 4)
            fields.field[static_cast<std::size_t>(fields.count++)] =
                std::string_view(line + from, size - from);
        return fields;
    }

private:
    std::size_t m_pos = 0;
    std::size_t m_lineStart = 0;
    std::array<std::size_t, 4> m_ends{};  // buffer offsets of the separators taken
    int m_count = 0;
};

[[gnu::target("avx512bw")]] CatalogueReadResult WalkRecordsWide(const std::filesystem::path& path,
                                                                const EncodedRecordFn& fn) {
    WideRecordScan scan;
    return detail::WalkLines(
        path, scan,
        [&](std::size_t lineNumber, char* line, std::size_t size, const WideRecordScan& found) {
            return fn(lineNumber, line, size, found.Fields(line, size));
        });
}

// Three CPUID calls, not the whole feature survey: a virtual machine traps each one.
bool WideScanAvailable() {
    static const bool available = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (!__get_cpuid(1, &a, &b, &c, &d) || (c & bit_OSXSAVE) == 0)
            return false;
        if (!__get_cpuid_count(7, 0, &a, &b, &c, &d) || (b & bit_AVX512BW) == 0)
            return false;
        // The system must save the vector and mask registers: XMM, YMM, opmask and ZMM state.
        unsigned low = 0, high = 0;
        __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        return (low & 0xE6) == 0xE6;
    }();
    return available;
}

#endif

}  // namespace

CatalogueReadResult ForEachEncodedRecord(const std::filesystem::path& path,
                                         const EncodedRecordFn& fn, RecordScan scan) {
#if defined(__x86_64__)
    if (scan == RecordScan::Fastest && WideScanAvailable())
        return WalkRecordsWide(path, fn);
#else
    (void)scan;
#endif
    detail::LineEndScan lineEnds;
    return detail::WalkLines(
        path, lineEnds,
        [&](std::size_t lineNumber, char* line, std::size_t size, const detail::LineEndScan&) {
            return fn(lineNumber, line, size, SplitRecordFields({line, size}, kEncodedSeparator));
        });
}

CatalogueReadResult ForEachDecodedRecord(const std::filesystem::path& path,
                                         const DecodedRecordFn& fn) {
    return ForEachEncodedRecord(path, [&](std::size_t lineNumber, char* line, std::size_t size,
                                          const RecordFields& fields) {
        if (fields.count == 0)
            return true;
        DecodeBytes(line, line, size);
        return fn(lineNumber, fields);
    });
}

}  // namespace quorvel
