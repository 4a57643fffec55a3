#include "catalogue/CatalogueEditing.h"

#include <algorithm>
#include <vector>

#include "catalogue/CatalogueRows.h"
#include "files/FileIo.h"
#include "files/TextLines.h"
#include "files/Windows1252.h"

namespace quorvel {

int AddChannel(ListRows& rows, ChannelFields fields) {
    return rows.Add(MakeCatalogueRow(std::move(fields.name), std::move(fields.url),
                                     std::move(fields.category), std::move(fields.type)));
}

ChannelFields RowChannelFields(const ListRow& row) {
    return {row.text, RowField(row, ChannelField::Url), RowField(row, ChannelField::Category),
            RowField(row, ChannelField::Type)};
}

bool EditSelectedChannel(ListRows& rows, ChannelFields fields) {
    const auto selected = rows.SelectedPosition();
    if (!selected)
        return false;
    const int position = *selected;
    // The row moves to its sort position once, after all its fields are set.
    const ListRows::DeferredPlacement placement(rows);
    rows.SetLayout(position, RowLayout::Catalogue);
    rows.SetText(position, std::move(fields.name));
    rows.SetSubItem(position, 1, std::move(fields.category));
    rows.SetSubItem(position, 2, std::move(fields.type));
    rows.SetSubItem(position, 3, std::move(fields.url));
    return true;
}

bool DeleteSelectedChannel(ListRows& rows) {
    const auto selected = rows.SelectedPosition();
    if (!selected)
        return false;
    rows.RemoveAt(*selected);
    return true;
}

bool SetSelectedType(ListRows& rows, std::string type) {
    const auto selected = rows.SelectedPosition();
    if (!selected)
        return false;
    SetRowField(rows, *selected, ChannelField::Type, std::move(type));
    return true;
}

ImportResult ImportChannelList(const std::filesystem::path& file, const std::string& category,
                               ListRows& rows) {
    ImportResult result;
    std::string bytes;
    if (ReadFileAtMost(file, kMaxImportListBytes, bytes, result.error) != FileReadStatus::Read)
        return result;

    const std::vector<std::string_view> lines = SplitLines(bytes);
    std::vector<ListRow> imported;
    std::string section;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty() || line == " ")
            continue;
        if (line.find('[') != std::string_view::npos) {
            std::string name(line);
            name.erase(std::remove_if(name.begin(), name.end(),
                                      [](char c) { return c == '[' || c == ']'; }),
                       name.end());
            section = Windows1252ToUtf8(name);
            ++i;  // the line after a section header is never used
            continue;
        }
        if (i + 1 >= lines.size())
            break;  // a lone name at the end has no address
        imported.push_back(MakeImportRow(Windows1252ToUtf8(line), Windows1252ToUtf8(lines[i + 1]),
                                         category, section));
        ++i;
    }
    result.added = static_cast<int>(imported.size());
    rows.AddRows(std::move(imported));
    result.ok = true;
    return result;
}

}  // namespace quorvel
