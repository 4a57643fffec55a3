#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "catalogue/LineCodec.h"

namespace quorvel {

// Walks the lines of an encoded catalogue held in `bytes` (CR LF or a lone CR ends a line,
// a lone LF does not), decodes each line in place and calls fn(lineNumber, decodedLine)
// with line numbers from 1. fn returns false to stop the walk. The buffer is left decoded
// up to where the walk stopped.
template <typename Fn>
void ForEachDecodedLine(std::string& bytes, Fn&& fn) {
    char* const begin = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t start = 0;
    std::size_t lineNumber = 0;
    while (start < size) {
        const void* cr = std::memchr(begin + start, '\r', size - start);
        const std::size_t stop =
            cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : size;
        DecodeBytes(begin + start, begin + start, stop - start);
        if (!fn(++lineNumber, std::string_view(begin + start, stop - start)))
            return;
        start = stop + 1;
        if (start < size && begin[start] == '\n')
            ++start;
    }
}

}  // namespace quorvel
