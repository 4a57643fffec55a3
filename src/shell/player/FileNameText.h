#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quorvel {

// File names are bytes, and not every name is valid UTF-8 (names made on other systems,
// old archives). Such bytes are shown as characters that stand for them, and turned back
// into the same bytes when the name is used, so every file can be listed and played.
QString FileNameToText(std::string_view bytes);
std::string TextToFileName(const QString& text);

}  // namespace quorvel
