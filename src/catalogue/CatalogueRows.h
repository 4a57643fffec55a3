#pragma once

#include <string>

#include "rows/ListRows.h"

namespace quorvel {

enum class ChannelField { Name, Url, Category, Type };

// The sub-item that holds a field in a row of the given layout (0 for the row text).
int FieldColumn(RowLayout layout, ChannelField field);

// A channel field of a row, read where the row's layout keeps it. A catalogue row without
// a URL column (as a category lists it) has its address in the tag.
const std::string& RowField(const ListRow& row, ChannelField field);
void SetRowField(ListRows& rows, int position, ChannelField field, std::string value);

// A row of the catalogue layout: category, type and URL in sub-items 1 to 3; no tag.
ListRow MakeCatalogueRow(std::string name, std::string url, std::string category, std::string type);

// A row of the list import: URL, category and section in sub-items 1 to 3.
ListRow MakeImportRow(std::string name, std::string url, std::string category, std::string section);

}  // namespace quorvel
