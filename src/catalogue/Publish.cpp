#include "catalogue/Publish.h"

#include <array>

#include "catalogue/CatalogueRows.h"
#include "catalogue/LineCodec.h"
#include "files/FileIo.h"
#include "files/Windows1252.h"

namespace quorvel {
namespace {

// Plain bytes a catalogue line cannot hold: the field separator, 204 (encodes to CR, which
// ends a line) and 255, which comes back as 0. 201 encodes to a lone LF, which ends no line.
bool Storable(std::string_view field) {
    for (const char c : field) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '|' || b == 204 || b == 255)
            return false;
    }
    return true;
}

std::string DescribeRows(const std::vector<int>& positions) {
    constexpr std::size_t kNamed = 10;
    std::string list;
    for (std::size_t i = 0; i < positions.size() && i < kNamed; ++i) {
        if (i > 0)
            list += ", ";
        list += std::to_string(positions[i]);
    }
    if (positions.size() > kNamed)
        list += " and " + std::to_string(positions.size() - kNamed) + " more";
    return (positions.size() == 1 ? "Row " + list + " holds" : "Rows " + list + " hold") +
           " a character that a channel list cannot store (| \xC3\x8C \xC3\xBF). "
           "Change them and save again; nothing was saved.";
}

}  // namespace

std::string PublishedPage(const ListRows& rows, std::vector<int>* unstorable) {
    std::string page;
    page.reserve(static_cast<std::size_t>(rows.Count()) * 96 + 32);
    page.append(kDataStartMarker).append("\r\n");
    std::array<std::string, 4> fields;
    for (int position = 1; position <= rows.Count(); ++position) {
        const ListRow& row = rows.At(position);
        fields[0] = Utf8ToWindows1252(row.text);
        fields[1] = Utf8ToWindows1252(RowField(row, ChannelField::Url));
        fields[2] = Utf8ToWindows1252(RowField(row, ChannelField::Category));
        fields[3] = Utf8ToWindows1252(RowField(row, ChannelField::Type));
        bool storable = true;
        for (const auto& field : fields)
            storable = storable && Storable(field);
        if (!storable) {
            if (unstorable)
                unstorable->push_back(position);
            continue;
        }
        const std::size_t start = page.size();
        page.append(fields[0]).push_back('|');
        page.append(fields[1]).push_back('|');
        page.append(fields[2]).push_back('|');
        page.append(fields[3]);
        EncodeBytes(page.data() + start, page.data() + start, page.size() - start);
        page.append("\r\n");
    }
    page.append(kDataEndMarker).append("\r\n");
    return page;
}

PublishResult PublishCatalogue(const ListRows& rows, const std::filesystem::path& page) {
    PublishResult result;
    std::vector<int> unstorable;
    const std::string bytes = PublishedPage(rows, &unstorable);
    if (!unstorable.empty()) {
        result.error = DescribeRows(unstorable);
        return result;
    }
    result.ok = WriteFileAtomically(page, bytes, result.error);
    return result;
}

}  // namespace quorvel
