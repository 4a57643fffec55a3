#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

#include "catalogue/ChannelRecord.h"

namespace quorvel {

enum class CatalogueReadStatus { Completed, Stopped, Missing, OpenFailed, ReadFailed };

struct CatalogueReadResult {
    CatalogueReadStatus status = CatalogueReadStatus::Completed;
    std::string error;  // names the file and the reason when opening or reading failed
};

// Called with line numbers from 1, each line as the file holds it (still encoded), in a
// buffer the callee may change in place until it returns, and the line's first four fields,
// split at the encoded "|". The fields view the line's bytes, so decoding the line in place
// decodes them: the scramble keeps every byte in its place and only "|" encodes to that
// byte. Returns false to stop the walk.
using EncodedRecordFn = std::function<bool(std::size_t lineNumber, char* line, std::size_t size,
                                           const RecordFields& fields)>;

enum class RecordScan {
    Fastest,   // line ends and separators in one pass where the processor has 64-byte vectors
    Portable,  // the scan every processor runs
};

// Reads an encoded catalogue file piece by piece (a small buffer, grown only for a longer
// line) and hands over every line with its fields; the same whichever scan runs. A line ends
// at CR LF or at a lone CR, never at a lone LF; text after the last line end is one more
// line. Lines of any length. Only a regular file is read: a pipe or device fails to open
// (OpenFailed); no file is Missing.
CatalogueReadResult ForEachEncodedRecord(const std::filesystem::path& file,
                                         const EncodedRecordFn& fn,
                                         RecordScan scan = RecordScan::Fastest);

// Called with the decoded fields of each line that holds a "|"; other lines are no records.
using DecodedRecordFn = std::function<bool(std::size_t lineNumber, const RecordFields& fields)>;

CatalogueReadResult ForEachDecodedRecord(const std::filesystem::path& file,
                                         const DecodedRecordFn& fn);

}  // namespace quorvel
