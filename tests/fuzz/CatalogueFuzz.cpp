// The catalogue reader and the line codec: decoding undoes encoding for every byte but 255;
// both scans of the chunked record walk give exactly the lines of the whole-file splitter,
// also across the read buffer's edge, with the fields the record splitter finds; the
// category walk (split before decoding) and the listing's text, both ways, give exactly the
// records that splitting the decoded lines finds.
#include "FuzzCheck.h"
#include "FuzzTempFolder.h"
#include "catalogue/CatalogueRecords.h"
#include "catalogue/ChannelList.h"
#include "catalogue/ChannelListing.h"
#include "catalogue/ChannelRecord.h"
#include "catalogue/LineCodec.h"
#include "catalogue/ListedChannels.h"
#include "catalogue/RecordWalk.h"
#include "files/FileIo.h"
#include "files/TextLines.h"
#include "files/Windows1252.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace quorvel;

namespace {

constexpr std::size_t kReadBuffer = detail::kLineWalkChunk;  // the reader's first buffer

void CheckCodec(std::string_view text) {
    const std::string encoded = EncodeLine(text);
    FUZZ_CHECK(encoded.size() == text.size());
    FUZZ_CHECK(encoded.find('\0') == std::string::npos);
    const std::string decoded = DecodeLine(encoded);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char expected = text[i] == '\xFF' ? '\0' : text[i];
        FUZZ_CHECK(decoded[i] == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckCodec(input);
    if (size == 0)
        return 0;

    // Lines up to just before the buffer's edge (the first byte says how far before), then
    // the input, so its lines and line ends straddle the edge.
    std::string bytes;
    const std::size_t lead = kReadBuffer - 1 - static_cast<unsigned char>(input[0]) % 64;
    const std::string filler = std::string(1022, 'f') + "\r\n";
    while (bytes.size() + filler.size() <= lead)
        bytes += filler;
    bytes.append(lead - bytes.size(), 'c');
    bytes.append(input.substr(1));

    const auto path = fuzz::TempFolder() / "Data.txt";
    std::string error;
    FUZZ_CHECK(WriteFileAtomically(path, bytes, error));
    const std::vector<std::string_view> whole = SplitLines(bytes);
    // Split still encoded, at the encoded separator.
    const char separator = static_cast<char>(EncodeByte(kFieldSeparator));
    for (const RecordScan scan : {RecordScan::Fastest, RecordScan::Portable}) {
        std::size_t walked = 0;
        const CatalogueReadResult records = ForEachEncodedRecord(
            path,
            [&](std::size_t number, char* line, std::size_t size, const RecordFields& fields) {
                FUZZ_CHECK(number == walked + 1 && walked < whole.size());
                FUZZ_CHECK(std::string_view(line, size) == whole[walked]);
                const RecordFields want = SplitRecordFields(whole[walked++], separator);
                FUZZ_CHECK(fields.count == want.count);
                for (int k = 0; k < want.count; ++k) {
                    const auto at = static_cast<std::size_t>(k);
                    FUZZ_CHECK(fields.field[at].data() - line ==
                                   want.field[at].data() - whole[walked - 1].data() &&
                               fields.field[at].size() == want.field[at].size());
                }
                return true;
            },
            scan);
        FUZZ_CHECK(records.status == CatalogueReadStatus::Completed && walked == whole.size());
    }

    std::vector<std::string> read;
    for (const std::string_view line : whole)
        read.push_back(DecodeLine(line));
    std::vector<std::string> expected;
    std::string expectedText;
    bool wholeFile = true;
    for (const std::string& line : read) {
        const RecordFields fields = SplitRecordFields(line);
        if (fields.count > 0 && fields.count < 3) {
            wholeFile = false;
            break;
        }
        if (fields.count == 0 || fields.Category() != "Radio")
            continue;
        if (fields.count < 4) {
            wholeFile = false;
            break;
        }
        expected.push_back(std::string(fields.Name()) + '|' + std::string(fields.Url()) + '|' +
                           std::string(fields.Type()));
        expectedText +=
            Windows1252ToUtf8(std::string(fields.Name()) + '\t' + std::string(fields.Url()) +
                              "\tRadio\t" + std::string(fields.Type())) +
            '\n';
    }
    std::vector<std::string> listed;
    const BrowsingState radio{"Radio", "", false};
    const bool listedAll = ForEachListedChannel(path, radio, nullptr, [&](const RecordFields& f) {
        listed.push_back(std::string(f.Name()) + '|' + std::string(f.Url()) + '|' +
                         std::string(f.Type()));
    });
    FUZZ_CHECK(listedAll == wholeFile && listed == expected);
    // The same channels as the listing's text, both ways.
    for (const RecordScan scan : {RecordScan::Fastest, RecordScan::Portable}) {
        std::string text;
        const ListingResult result = WriteListedChannels(
            path, radio,
            [&](std::string_view piece) {
                text.append(piece);
                return true;
            },
            scan);
        FUZZ_CHECK(result.loaded == wholeFile && result.written && text == expectedText);
    }

    // The window's loader over the same file: any category, any language filter.
    BrowsingState state{"Radio", read.size() > 1 ? read[1].substr(0, 3) : "", true};
    ListRows rows;
    ComboBoxState combo;
    LoadChannelList(path, state, rows, combo, [](const std::string&) {});
    return 0;
}
