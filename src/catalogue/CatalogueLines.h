#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace quorvel {

enum class CatalogueReadStatus { Completed, Stopped, Missing, OpenFailed, ReadFailed };

struct CatalogueReadResult {
    CatalogueReadStatus status = CatalogueReadStatus::Completed;
    std::string error;  // names the file and the reason when opening or reading failed
};

// Called with line numbers from 1 and each line decoded; returns false to stop the walk.
using DecodedLineFn = std::function<bool(std::size_t lineNumber, std::string_view line)>;

// Reads an encoded catalogue file piece by piece (a small buffer, grown only for a longer
// line) and hands over every line decoded. A line ends at CR LF or at a lone CR, never at a
// lone LF; text after the last line end is one more line. Lines of any length. Only a
// regular file is read: a pipe or device fails to open (OpenFailed); no file is Missing.
CatalogueReadResult ForEachDecodedLine(const std::filesystem::path& file, const DecodedLineFn& fn);

// Called with each line as the file holds it (still encoded), in a buffer the callee may
// change in place (decode it there) until it returns.
using EncodedLineFn = std::function<bool(std::size_t lineNumber, char* line, std::size_t size)>;

// The same walk without the decoding, for a reader that decodes only the lines it keeps.
CatalogueReadResult ForEachEncodedLine(const std::filesystem::path& file, const EncodedLineFn& fn);

}  // namespace quorvel
