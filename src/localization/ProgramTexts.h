#pragma once

#include <span>
#include <string_view>

namespace quorvel {

// A text of the program's own that no window caption carries (titles, questions, the
// player's menu and reasons): a message of the translation store, English by default.
struct ProgramText {
    std::string_view key;
    std::string_view english;
};

// Every program text, in the order they are registered and written to a new
// "Localization.xml".
std::span<const ProgramText> ProgramTexts();

// The key of the program text with that English wording; empty when there is none.
std::string_view ProgramTextKey(std::string_view english);

}  // namespace quorvel
