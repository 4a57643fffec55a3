#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::reg {

// One line of a REGEDIT4 file as the import reads it: trimmed, every double quote removed,
// then taken as a key line, a value line or nothing. The export runs each line it means to
// write through the same reading, so that no value can come back as something else.
struct RegLine {
    enum class Kind {
        Ignored,    // empty, a comment, or no "=" (a value line only counts inside a section)
        Key,        // "[" path "]": opens a section
        DeleteKey,  // "[-" path "]"
        Value,
        Invalid,  // a value line that cannot be applied as written; `problem` says why
    };
    enum class Action { DeleteValue, Binary, Dword, Text };

    Kind kind = Kind::Ignored;
    std::string path;  // Key, DeleteKey
    std::string name;  // Value: as written ("@" is the default value for texts only)
    Action action = Action::Text;
    std::string data;          // Binary: hex text with blanks; Text: the text
    std::uint32_t number = 0;  // Dword
    std::string problem;       // Invalid
};

RegLine ReadRegLine(std::string_view line);

}  // namespace quorvel::reg
