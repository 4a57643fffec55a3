#include "shell/player/FileNameText.h"
#include "files/Utf8.h"

#include <cstdint>

namespace quorvel {
namespace {

// A byte that is not part of valid UTF-8 becomes a lone low surrogate, which valid text
// never holds.
constexpr char16_t kByteBase = 0xDC00;

// Length of the valid UTF-8 sequence at `at`, or 0.
std::size_t ValidSequence(std::string_view bytes, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

QString FileNameToText(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        if (const std::size_t length = ValidSequence(bytes, at, code)) {
            if (code < 0x10000) {
                text += QChar(static_cast<char16_t>(code));
            } else {
                text += QChar(QChar::highSurrogate(code));
                text += QChar(QChar::lowSurrogate(code));
            }
            at += length;
        } else {
            text += QChar(static_cast<char16_t>(kByteBase + static_cast<unsigned char>(bytes[at])));
            ++at;
        }
    }
    return text;
}

std::string TextToFileName(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    const auto append = [&](char32_t code) { AppendUtf8(bytes, code); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            append(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (unit >= kByteBase + 0x80 && unit <= kByteBase + 0xFF) {
            bytes += static_cast<char>(unit - kByteBase);
        } else if (QChar::isSurrogate(unit)) {
            append(0xFFFD);
        } else {
            append(unit);
        }
    }
    return bytes;
}

}  // namespace quorvel
