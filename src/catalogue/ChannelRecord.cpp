#include "catalogue/ChannelRecord.h"

#include "files/Windows1252.h"

namespace quorvel {

ChannelRecord ToChannelRecord(const RecordFields& fields) {
    return {Windows1252ToUtf8(fields.Name()), Windows1252ToUtf8(fields.Url()),
            Windows1252ToUtf8(fields.Category()), Windows1252ToUtf8(fields.Type())};
}

}  // namespace quorvel
