#include "registry/KeyPath.h"

#include "files/TextCase.h"

namespace quorvel::reg {

ParsedKeyPath ParseKeyPath(std::string_view path) {
    std::string text(path);
    for (const RootName& name : kRootNames) {
        text = ReplaceAllIgnoringCase(text, name.longName, name.shortName);
    }
    ParsedKeyPath parsed;
    std::string rootName;
    if (const std::size_t slash = text.find('\\'); slash != std::string::npos) {
        rootName = ToUpperAscii(std::string_view(text).substr(0, 4));
        parsed.subKey = text.substr(slash + 1);
    } else {
        rootName = ToUpperAscii(text);
    }
    for (const RootName& name : kRootNames) {
        if (rootName == name.shortName)
            parsed.root = name.handle;
    }
    return parsed;
}

std::string WithLongRootNames(std::string_view path) {
    std::string text(path);
    for (const RootName& name : kRootNames) {
        text = ReplaceAllIgnoringCase(text, name.shortName, name.longName);
    }
    return text;
}

}  // namespace quorvel::reg
