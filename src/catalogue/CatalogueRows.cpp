#include "catalogue/CatalogueRows.h"

namespace quorvel {

int FieldColumn(RowLayout layout, ChannelField field) {
    switch (field) {
        case ChannelField::Name:
            return 0;
        case ChannelField::Url:
            return layout == RowLayout::Import ? 1 : 3;
        case ChannelField::Category:
            return layout == RowLayout::Import ? 2 : 1;
        case ChannelField::Type:
            return layout == RowLayout::Import ? 3 : 2;
    }
    return 0;
}

const std::string& RowField(const ListRow& row, ChannelField field) {
    // Rows listed by category carry no URL column; their address is the tag alone.
    if (field == ChannelField::Url && row.layout == RowLayout::Catalogue && row.subItems.size() < 3)
        return row.tag;
    return row.Column(FieldColumn(row.layout, field));
}

void SetRowField(ListRows& rows, int position, ChannelField field, std::string value) {
    const int column = FieldColumn(rows.At(position).layout, field);
    if (column == 0)
        rows.SetText(position, std::move(value));
    else
        rows.SetSubItem(position, column, std::move(value));
}

ListRow MakeCatalogueRow(std::string name, std::string url, std::string category,
                         std::string type) {
    ListRow row;
    row.text = std::move(name);
    row.subItems = {std::move(category), std::move(type), std::move(url)};
    return row;
}

ListRow MakeImportRow(std::string name, std::string url, std::string category,
                      std::string section) {
    ListRow row;
    row.text = std::move(name);
    row.subItems = {std::move(url), std::move(category), std::move(section)};
    row.layout = RowLayout::Import;
    return row;
}

}  // namespace quorvel
