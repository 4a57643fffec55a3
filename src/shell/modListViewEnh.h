#pragma once

class QWidget;

namespace quorvel {

class ListView;

// Sorts a list by the clicked column header (counted from 1): switches the list into sorted
// mode, makes that column the key and inverts the direction, which belongs to the list, not
// to the column. An empty list is left as it is. False when the column does not exist; with
// showError set the failure is also shown in a message box.
bool EnhListView_SortColumns(ListView& list, int columnHeaderIndex, bool& showError);

}  // namespace quorvel
