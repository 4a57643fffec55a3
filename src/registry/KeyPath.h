#pragma once

#include "registry/RegistryTypes.h"

#include <string>
#include <string_view>

namespace quorvel::reg {

struct ParsedKeyPath {
    Hkey root = kNoKey;  // kNoKey when the root name is not one of the seven
    std::string subKey;
};

// "HKEY_CURRENT_USER\Software\X" or "hkcu\Software\X": every long root name anywhere in the
// path becomes its short name (any letter case); the root is then the first four characters
// (the whole text when there is no "\"), the sub-key all after the first "\".
ParsedKeyPath ParseKeyPath(std::string_view path);

// Every short root name anywhere in the path replaced by its long name, any letter case.
std::string WithLongRootNames(std::string_view path);

}  // namespace quorvel::reg
