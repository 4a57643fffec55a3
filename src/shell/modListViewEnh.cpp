#include "shell/modListViewEnh.h"

#include "shell/widgets/ListView.h"

#include <QMessageBox>

namespace quorvel {
namespace {

// The list control's own error for a column key it does not have.
constexpr int kInvalidPropertyValue = 380;

}  // namespace

bool EnhListView_SortColumns(ListView& list, int columnHeaderIndex, bool& showError) {
    ListRows& rows = list.Rows();
    if (rows.Empty())
        return true;
    const int key = columnHeaderIndex - 1;
    if (key < 0 || key >= static_cast<int>(rows.Columns().size())) {
        if (showError) {
            QMessageBox::information(
                &list, "Error in Function : EnhListView_SortColumns",
                QStringLiteral("Error%1\tInvalid property value").arg(kInvalidPropertyValue));
        }
        return false;
    }
    // Key and direction are set outside sorted mode, so the rows are sorted once, not thrice.
    rows.SetSorted(false);
    rows.SetSortKey(key);
    rows.SetSortOrder(rows.Order() == SortOrder::Ascending ? SortOrder::Descending
                                                           : SortOrder::Ascending);
    rows.SetSorted(true);
    return true;
}

}  // namespace quorvel
