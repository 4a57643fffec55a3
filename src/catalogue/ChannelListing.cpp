#include "catalogue/ChannelListing.h"

#include <bit>
#include <cstdint>
#include <memory>

#include "catalogue/LineCodec.h"
#include "catalogue/ListedChannels.h"
#include "catalogue/RecordWalk.h"
#include "files/WideVectors.h"
#include "files/Windows1252.h"
#include "files/Windows1252Writer.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quorvel {
namespace {

constexpr std::size_t kPiece = 256 * 1024;

// Rows are gathered in pieces; not cleared first, so only the pages written to are touched.
class Listing {
public:
    explicit Listing(const ListingSink& write) : m_write(write) {}

    // Room for a row made of `size` catalogue bytes (three UTF-8 bytes each, and a line end).
    char* Room(std::size_t size) {
        const std::size_t room = 3 * size + 1;
        if (m_capacity - m_used < room) {
            Flush();
            if (m_capacity < room) {  // a row longer than the buffer
                m_capacity = room;
                m_buffer.reset(new char[m_capacity]);
            }
        }
        return m_buffer.get() + m_used;
    }

    void Added(char* end) {
        *end++ = '\n';
        m_used = static_cast<std::size_t>(end - m_buffer.get());
        if (m_used >= kPiece)
            Flush();
    }

    bool Finish() {
        Flush();
        return m_written;
    }

private:
    void Flush() {
        m_written = m_write(std::string_view(m_buffer.get(), m_used)) && m_written;
        m_used = 0;
    }

    const ListingSink& m_write;
    std::size_t m_capacity = 2 * kPiece;
    std::unique_ptr<char[]> m_buffer{new char[m_capacity]};
    std::size_t m_used = 0;
    bool m_written = true;
};

// A record, still encoded, written as a row: decoded, converted, its separators as TAB, in
// one pass. Decoding in place first and reading the bytes back stalls on the stores just
// made.
struct PortableRows {
    struct DecodedWithTabs {
        unsigned char operator()(unsigned char byte) const {
            const unsigned char decoded = DecodeByte(byte);
            return decoded == kFieldSeparator ? '\t' : decoded;
        }
#if defined(__SSE2__)
        // Less 64: a byte where that wraps below zero decodes to a high one (0xBF and up), so
        // it is decoded again alone.
        __m128i operator()(__m128i chunk) const {
            return SwapBytes(_mm_sub_epi8(chunk, _mm_set1_epi8(64)), kFieldSeparator, '\t');
        }
#endif
    };

    static char* Write(const char* record, std::size_t size, char* out) {
        return WriteMappedAsUtf8({record, size}, out, DecodedWithTabs{});
    }
};

#if defined(__x86_64__)
// The same sixty-four bytes a step.
struct WideRows {
    [[gnu::target("avx512bw"), gnu::always_inline]] static char* Write(const char* record,
                                                                       std::size_t size,
                                                                       char* out) {
        const __m512i shift = _mm512_set1_epi8(64);
        const __m512i separator = _mm512_set1_epi8(kFieldSeparator);
        const __m512i tab = _mm512_set1_epi8('\t');
        const char* p = record;
        const char* const end = record + size;
        while (p != end) {
            const auto left = static_cast<std::size_t>(end - p);
            // Masked: nothing read past the record, nothing written past its room.
            const __mmask64 in = left >= 64 ? ~__mmask64{0} : (__mmask64{1} << left) - 1;
            // Decoded as less 64. The bytes where that wraps below zero decode to 0xBF and up:
            // high bytes, each decoded again alone below.
            __m512i bytes = _mm512_sub_epi8(_mm512_maskz_loadu_epi8(in, p), shift);
            bytes = _mm512_mask_mov_epi8(bytes, _mm512_cmpeq_epi8_mask(bytes, separator), tab);
            _mm512_mask_storeu_epi8(out, in, bytes);
            const std::uint64_t high = _mm512_movepi8_mask(bytes) & in;
            if (high == 0) {
                const std::size_t step = left >= 64 ? 64 : left;
                p += step;
                out += step;
                continue;
            }
            // Plain bytes up to the first high one are stored; that one is converted alone.
            const auto plain = static_cast<std::size_t>(std::countr_zero(high));
            p += plain;
            out = WriteWindows1252Character(DecodeByte(static_cast<unsigned char>(*p++)),
                                            out + plain);
        }
        return out;
    }
};
#endif

// A listing's per-line work, but for the writing of its rows.
class ListingLines {
public:
    ListingLines(const BrowsingState& state, const ListingSink& write)
        : m_filter(state), m_listing(write) {}

    ListingResult Finish(const CatalogueReadResult& read) {
        const bool written = m_listing.Finish();
        return {!m_broken && read.status == CatalogueReadStatus::Completed, written};
    }

protected:
    static constexpr std::size_t kNoRow = 0;  // a row holds three separators at least
    static constexpr std::size_t kStop = SIZE_MAX;

    // The size of the row `line` makes: from the name, where the line starts, to the type
    // (fields after the fourth are left out); kNoRow, or kStop at a broken record.
    [[gnu::always_inline]] std::size_t RowSize(const char* line, const RecordFields& fields) {
        switch (m_filter.Check(fields)) {
            case ChannelFilter::Verdict::Other:
                return kNoRow;
            case ChannelFilter::Verdict::Broken:
                m_broken = true;
                return kStop;
            case ChannelFilter::Verdict::Listed:
                break;
        }
        if (!m_filter.Shows(fields.Type()))
            return kNoRow;
        return static_cast<std::size_t>(fields.Type().data() - line) + fields.Type().size();
    }

    ChannelFilter m_filter;
    Listing m_listing;
    bool m_broken = false;
};

// The two ways differ only in how a row is written. Each has its own call operator, so that
// the wide one, built for the wider vectors, compiles into the scan loop with its writer.
struct PortableLines : ListingLines {
    using ListingLines::ListingLines;

    bool operator()(std::size_t, char* line, std::size_t, const RecordFields& fields) {
        const std::size_t size = RowSize(line, fields);
        if (size != kNoRow && size != kStop)
            m_listing.Added(PortableRows::Write(line, size, m_listing.Room(size)));
        return size != kStop;
    }
};

#if defined(__x86_64__)
struct WideLines : ListingLines {
    using ListingLines::ListingLines;

    [[gnu::target("avx512bw"), gnu::always_inline]] bool operator()(std::size_t, char* line,
                                                                    std::size_t,
                                                                    const RecordFields& fields) {
        const std::size_t size = RowSize(line, fields);
        if (size != kNoRow && size != kStop)
            m_listing.Added(WideRows::Write(line, size, m_listing.Room(size)));
        return size != kStop;
    }
};

[[gnu::target("avx512bw")]] ListingResult ListWide(const std::filesystem::path& catalogueFile,
                                                   const BrowsingState& state,
                                                   const ListingSink& write) {
    WideLines lines(state, write);
    detail::WideRecordScan scan;
    return lines.Finish(detail::WalkLines(catalogueFile, scan, lines));
}
#endif

}  // namespace

ListingResult WriteListedChannels(const std::filesystem::path& catalogueFile,
                                  const BrowsingState& state, const ListingSink& write,
                                  RecordScan scan) {
#if defined(__x86_64__)
    if (scan == RecordScan::Fastest && WideVectorsAvailable())
        return ListWide(catalogueFile, state, write);
#else
    (void)scan;
#endif
    PortableLines lines(state, write);
    detail::PortableRecordScan portable;
    return lines.Finish(detail::WalkLines(catalogueFile, portable, lines));
}

}  // namespace quorvel
