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

std::string FoldTextUtf8(std::string_view utf8) {
    std::string out(utf8);
    const std::size_t size = out.size();
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c + 32);
        } else if (i + 1 < size) {
            const auto next = static_cast<unsigned char>(out[i + 1]);
            if (c == 0xC3 && next >= 0x80 && next <= 0x9E && next != 0x97) {
                out[i + 1] = static_cast<char>(next + 0x20);  // À..Þ, not ×
            } else if (c == 0xC5 && (next == 0xA0 || next == 0x92 || next == 0xBD)) {
                out[i + 1] = static_cast<char>(next + 1);  // Š Œ Ž
            } else if (c == 0xC5 && next == 0xB8) {
                out[i] = static_cast<char>(0xC3);  // Ÿ becomes ÿ
                out[i + 1] = static_cast<char>(0xBF);
            } else {
                continue;
            }
            ++i;
        }
    }
    return out;
}

}  // namespace quorvel
