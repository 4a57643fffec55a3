#include "catalogue/CatalogueRecords.h"

#include "catalogue/LineCodec.h"
#include "catalogue/RecordWalk.h"

namespace quorvel {

CatalogueReadResult ForEachEncodedRecord(const std::filesystem::path& path,
                                         const EncodedRecordFn& fn, RecordScan scan) {
    return detail::WalkRecords(path, fn, scan);
}

CatalogueReadResult ForEachDecodedRecord(const std::filesystem::path& path,
                                         const DecodedRecordFn& fn) {
    const auto decoded = [&](std::size_t lineNumber, char* line, std::size_t size,
                             const RecordFields& fields) {
        if (fields.count == 0)
            return true;
        DecodeBytes(line, line, size);
        return fn(lineNumber, fields);
    };
    return detail::WalkRecords(path, decoded);
}

}  // namespace quorvel
