#include "catalogue/SortValues.h"

#include <algorithm>
#include <array>
#include <bit>
#include <functional>
#include <stdexcept>
#include <utility>

namespace quorvel {

void SortValues(std::vector<std::string>& values, std::optional<std::ptrdiff_t> upperIndex,
                SortDirection direction) {
    if (values.empty())
        return;
    const auto last = static_cast<std::ptrdiff_t>(values.size()) - 1;
    std::ptrdiff_t lo = 0;
    std::ptrdiff_t hi = upperIndex ? std::min(*upperIndex, last) : last;
    const std::ptrdiff_t upperEnd = hi + 1;
    if (hi <= lo)
        return;
    // The larger part is pushed and the smaller one sorted first, so the stack holds at most
    // log2(n) ranges besides the bottom entry.
    if (hi >= (std::ptrdiff_t{1} << 31))
        throw std::length_error("SortValues: too many values");
    std::array<std::pair<std::ptrdiff_t, std::ptrdiff_t>, 32> stack{};
    std::size_t top = 0;
    stack[0] = {lo, hi};
    const bool descending = direction == SortDirection::Descending;
    // With the last value as pivot, sorted or reversed input costs quadratic time: a list of
    // 100,000 languages would freeze the window for a minute. Past a budget of n log n
    // partition steps std::sort finishes the job; equal texts cannot be told apart, so the
    // result is the same array.
    const auto count = static_cast<std::size_t>(hi - lo + 1);
    std::size_t budget = 64 + 2 * count * static_cast<std::size_t>(std::bit_width(count));
    auto v = [&](std::ptrdiff_t k) -> std::string& { return values[static_cast<std::size_t>(k)]; };

    for (;;) {
        while (lo < hi) {
            const auto size = static_cast<std::size_t>(hi - lo + 1);
            if (size > budget) {
                const auto first = values.begin();
                if (descending) {
                    std::sort(first, first + upperEnd, std::greater<>());
                } else {
                    std::sort(first, first + upperEnd);
                }
                return;
            }
            budget -= size;
            const std::string pivot = v(hi);
            std::ptrdiff_t i = lo - 1;
            std::ptrdiff_t j = hi;
            // The upward scan goes on past values before the pivot, the downward one past
            // values after it; values[hi] is the pivot, so the upward scan stops there at the
            // latest, and the downward one stops at lo.
            const auto before = [&](const std::string& x) {
                return descending ? x > pivot : x < pivot;
            };
            const auto after = [&](const std::string& x) {
                return descending ? x < pivot : x > pivot;
            };
            do {
                ++i;
                while (before(v(i)))
                    ++i;
                --j;
                while (after(v(j)) && j != lo)
                    --j;
                if (i != j)
                    std::swap(v(i), v(j));
            } while (j > i);
            // Undo the last swap and put the pivot at i in one rotation.
            std::string t = std::move(v(j));
            if (j != i)
                v(j) = std::move(v(i));
            if (i != hi)
                v(i) = std::move(v(hi));
            v(hi) = std::move(t);

            ++top;
            if (hi - i < i - lo) {
                stack[top] = {lo, i - 1};
                lo = i + 1;
            } else {
                stack[top] = {i + 1, hi};
                hi = i - 1;
            }
        }
        if (top == 0)
            return;
        lo = stack[top].first;
        hi = stack[top].second;
        --top;
    }
}

}  // namespace quorvel
