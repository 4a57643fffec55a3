#include "catalogue/ChannelRecord.h"

#include "files/Windows1252.h"

namespace quorvel {

std::string FieldToUtf8(std::string_view bytes) {
    return IsAsciiText(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

void AppendFieldUtf8(std::string& out, std::string_view bytes) {
    if (IsAsciiText(bytes))
        out.append(bytes);
    else
        AppendWindows1252AsUtf8(out, bytes);
}

}  // namespace quorvel
