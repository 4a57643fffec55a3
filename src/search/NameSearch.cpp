#include "search/NameSearch.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <numeric>

#include "search/SearchFold.h"

namespace quorvel {
namespace {

// Enough to go back through the characters of a long query without scanning again.
constexpr std::size_t kMaxSteps = 32;

// The first place of `needle` (at least one byte) in the text, or null. memmem sets up
// tables on every call, which costs more than the search when the hits are many and close;
// this compares the needle's first and last bytes sixteen places at a time instead and
// checks the rest only where both agree.
const char* FindBytes(const char* text, std::size_t size, std::string_view needle) {
    const std::size_t k = needle.size();
    if (k > size)
        return nullptr;
    if (k == 1)
        return static_cast<const char*>(std::memchr(text, needle[0], size));
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[k - 1]);
    for (; i + k - 1 + 16 <= size; i += 16) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i atLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + k - 1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(first, atFirst), _mm_cmpeq_epi8(last, atLast))));
        while (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(text + at + 1, needle.data() + 1, k - 2) == 0)
                return text + at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i + k <= size; ++i) {
        if (text[i] == needle[0] && text[i + k - 1] == needle[k - 1] &&
            std::memcmp(text + i + 1, needle.data() + 1, k - 2) == 0) {
            return text + i;
        }
    }
    return nullptr;
}

}  // namespace

void NameSearch::Load(std::size_t count,
                      const std::function<std::string_view(std::size_t row)>& nameOf) {
    Clear();
    m_starts.reserve(count + 1);
    m_text.reserve(count * 24);
    for (std::size_t row = 0; row < count; ++row) {
        m_starts.push_back(m_text.size());
        AppendSearchFold(nameOf(row), m_text);
        m_text.push_back('\0');
    }
    m_starts.push_back(m_text.size());
    m_all.resize(count);
    std::iota(m_all.begin(), m_all.end(), 0);
}

void NameSearch::Clear() {
    m_text.clear();
    m_starts.clear();
    m_all.clear();
    m_steps.clear();
}

const std::vector<int>& NameSearch::Find(std::string_view query) {
    const std::string folded = SearchFold(query);
    if (folded.empty())
        return m_all;
    while (!m_steps.empty() && folded.find(m_steps.back().query) == std::string::npos)
        m_steps.pop_back();
    if (!m_steps.empty() && m_steps.back().query == folded)
        return m_steps.back().rows;
    std::vector<int> rows =
        m_steps.empty() ? ScanAll(folded) : ScanRows(m_steps.back().rows, folded);
    if (m_steps.size() == kMaxSteps)
        m_steps.erase(m_steps.begin());
    m_steps.push_back({folded, std::move(rows)});
    return m_steps.back().rows;
}

std::vector<int> NameSearch::ScanAll(std::string_view folded) const {
    std::vector<int> rows;
    const char* text = m_text.data();
    std::size_t at = 0;
    std::size_t row = 0;
    const std::size_t size = m_text.size();
    while (at < size) {
        const char* hit = FindBytes(text + at, size - at, folded);
        if (!hit)
            break;
        const auto offset = static_cast<std::size_t>(hit - text);
        // Hits come in order, so the row only ever moves forward. A name never holds '\0',
        // so no hit spans two names.
        while (m_starts[row + 1] <= offset)
            ++row;
        rows.push_back(static_cast<int>(row));
        at = m_starts[row + 1];
    }
    return rows;
}

std::vector<int> NameSearch::ScanRows(const std::vector<int>& candidates,
                                      std::string_view folded) const {
    std::vector<int> rows;
    for (const int row : candidates) {
        const std::size_t start = m_starts[static_cast<std::size_t>(row)];
        const std::size_t length = m_starts[static_cast<std::size_t>(row) + 1] - 1 - start;
        if (length >= folded.size() && FindBytes(m_text.data() + start, length, folded)) {
            rows.push_back(row);
        }
    }
    return rows;
}

}  // namespace quorvel
