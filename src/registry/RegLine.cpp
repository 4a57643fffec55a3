#include "registry/RegLine.h"

#include "files/TextCase.h"

namespace quorvel::reg {
namespace {

// Leading hexadecimal digits; reading stops at the first other character. False when the
// number does not fit in 32 bits (it used to wrap silently).
bool LeadingHex(std::string_view text, std::uint32_t& value) {
    std::uint64_t number = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            break;
        number = (number << 4) | static_cast<std::uint64_t>(digit);
        if (number > 0xFFFFFFFFull)
            return false;
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}

}  // namespace

RegLine ReadRegLine(std::string_view raw) {
    RegLine result;
    std::string line;
    for (char c : TrimBlanks(raw)) {
        if (c != '"')
            line.push_back(c);
    }
    if (line.empty())
        return result;
    if (line.front() == '[') {
        result.path = line.size() >= 2 ? line.substr(1, line.size() - 2) : "";
        if (!result.path.empty() && result.path.front() == '-') {
            result.kind = RegLine::Kind::DeleteKey;
            result.path.erase(0, 1);
        } else {
            result.kind = RegLine::Kind::Key;
        }
        return result;
    }
    const std::size_t equals = line.find('=');
    if (line.front() == ';' || equals == std::string::npos)
        return result;
    // Removing a quote can join a CR and a LF: stored, they would split the line on export.
    if (line.find("\r\n") != std::string::npos) {
        result.kind = RegLine::Kind::Invalid;
        result.problem = "a line break inside the line";
        return result;
    }
    result.kind = RegLine::Kind::Value;
    result.name = line.substr(0, equals);
    const std::size_t next = line.find('=', equals + 1);
    // Text after a second "=" is not part of the value.
    const std::string value =
        line.substr(equals + 1, next == std::string::npos ? std::string::npos : next - equals - 1);

    if (TrimBlanks(value) == "-") {
        result.action = RegLine::Action::DeleteValue;
    } else if (StartsWithIgnoringCase(value, "hex:")) {
        result.action = RegLine::Action::Binary;
        result.data = value.substr(4);
        for (char& c : result.data) {
            if (c == ',')
                c = ' ';
        }
    } else if (StartsWithIgnoringCase(value, "dword:")) {
        result.action = RegLine::Action::Dword;
        if (!LeadingHex(std::string_view(value).substr(6), result.number)) {
            result.kind = RegLine::Kind::Invalid;
            result.problem = "the number does not fit in 32 bits";
        }
    } else {
        result.action = RegLine::Action::Text;
        result.data = value;
    }
    return result;
}

}  // namespace quorvel::reg
