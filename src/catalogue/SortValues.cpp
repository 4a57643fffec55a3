#include "catalogue/SortValues.h"

#include <algorithm>
#include <array>
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
    auto v = [&](std::ptrdiff_t k) -> std::string& { return values[static_cast<std::size_t>(k)]; };

    for (;;) {
        while (lo < hi) {
            const std::string pivot = v(hi);
            std::ptrdiff_t i = lo - 1;
            std::ptrdiff_t j = hi;
            // Values[hi] is the pivot, so the upward scan stops at hi at the latest.
            do {
                if (descending) {
                    do
                        ++i;
                    while (v(i) > pivot);
                    do
                        --j;
                    while (!(v(j) >= pivot) && j != lo);
                } else {
                    do
                        ++i;
                    while (v(i) < pivot);
                    do
                        --j;
                    while (!(v(j) <= pivot) && j != lo);
                }
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
