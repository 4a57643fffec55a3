#include "catalogue/FoldedText.h"

#include <array>

#include "files/Windows1252.h"

namespace quorvel {
namespace {

const std::array<unsigned char, 256>& FoldTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = FoldCase1252(static_cast<unsigned char>(i));
        return t;
    }();
    return table;
}

}  // namespace

void FoldText1252(std::string_view bytes, std::string& out) {
    const auto& table = FoldTable();
    out.resize(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out[i] = static_cast<char>(table[static_cast<unsigned char>(bytes[i])]);
    }
}

}  // namespace quorvel
