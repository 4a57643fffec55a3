#include "shell/widgets/ListRowsModel.h"
#include "shell/widgets/ListView.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

namespace quorvel {
namespace {

ListRow Channel(std::string name, std::string url, std::string category, std::string type) {
    ListRow row;
    row.text = std::move(name);
    row.tag = std::move(url);
    row.SetSubItem(1, std::move(category));
    row.SetSubItem(2, std::move(type));
    return row;
}

void AddChannelColumns(ListRows& rows) {
    rows.AddColumn("Channel", 2800);
    rows.AddColumn("Category", 1440);
    rows.AddColumn("Type", 1440);
}

QString Cell(const ListView& view, int row, int column) {
    return view.model()->index(row, column).data().toString();
}

TEST(ListView, ModelFollowsEveryKindOfRowChangeUnderTheModelTester) {
    ListView view;
    QAbstractItemModelTester tester(view.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    ListRows& rows = view.Rows();
    AddChannelColumns(rows);
    rows.Add(Channel("Zeta", "http://z", "TV", "German"));
    rows.AddRows({Channel("alpha", "http://a", "TV", "English"),
                  Channel("Mid", "http://m", "Radio", "French")});
    rows.SetSubItem(2, 2, "English/Spanish");
    rows.SetText(1, "Zeta One");
    rows.SetSorted(true);
    rows.Add(Channel("Beta", "http://b", "TV", "Arabic"));
    rows.SetSortOrder(SortOrder::Descending);
    rows.SetSortKey(2);
    rows.RemoveAt(1);
    rows.AddColumn("URL", 1440);
    rows.SetSubItem(1, 3, "http://x");

    ASSERT_EQ(view.model()->rowCount(), 3);
    ASSERT_EQ(view.model()->columnCount(), 4);
    // Descending by Type after removing the first row ("German").
    EXPECT_EQ(Cell(view, 0, 0), "Mid");
    EXPECT_EQ(Cell(view, 0, 2), "French");
    EXPECT_EQ(Cell(view, 0, 3), "http://x");
    EXPECT_EQ(Cell(view, 1, 2), "English/Spanish");
    EXPECT_EQ(Cell(view, 2, 0), "Beta");
    // The tag stays hidden from the columns but is reachable for the caller.
    EXPECT_EQ(view.model()->index(2, 0).data(ListRowsModel::TagRole).toString(), "http://b");
    EXPECT_EQ(Cell(view, 2, 3), "");

    rows.ClearColumns();
    EXPECT_EQ(view.model()->columnCount(), 0);
    rows.Clear();
    EXPECT_EQ(view.model()->rowCount(), 0);
}

TEST(ListView, ShowsHeadersAtTheirTwipWidthsAndIsNotEditable) {
    ListView view;
    AddChannelColumns(view.Rows());
    view.Rows().Add(Channel("Ch\xC3\xA2ine", "u", "TV", "French"));

    EXPECT_EQ(view.model()->headerData(0, Qt::Horizontal).toString(), "Channel");
    EXPECT_EQ(view.model()->headerData(2, Qt::Horizontal).toString(), "Type");
    EXPECT_EQ(view.header()->sectionSize(0), 187);
    EXPECT_EQ(view.header()->sectionSize(1), 96);
    EXPECT_EQ(view.header()->sectionSize(2), 96);
    EXPECT_EQ(Cell(view, 0, 0), QString::fromUtf8("Ch\xC3\xA2ine"));

    view.Rows().AddColumn("URL", 3000);
    EXPECT_EQ(view.header()->sectionSize(3), 200);

    EXPECT_FALSE(view.model()->index(0, 0).flags() & Qt::ItemIsEditable);
}

TEST(ListView, SelectionIsKeptInStepWithTheRowsBothWays) {
    ListView view;
    ListRows& rows = view.Rows();
    AddChannelColumns(rows);
    for (const char* name : {"One", "Two", "Three", "Four"})
        rows.Add(Channel(name, "", "TV", ""));

    // Rows to view.
    rows.Select(3);
    ASSERT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().first().row(), 2);

    // View to rows.
    view.selectionModel()->setCurrentIndex(
        view.model()->index(1, 1), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(rows.SelectedPosition(), 2);
    view.clearSelection();
    EXPECT_EQ(rows.SelectedPosition(), std::nullopt);

    // A re-sort moves the selection with its row, in the view too.
    rows.Select(1);        // "One"
    rows.SetSorted(true);  // Four, One, Three, Two
    ASSERT_EQ(rows.SelectedPosition(), 2);
    ASSERT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().first().row(), 1);

    // Removing the selected row leaves nothing selected anywhere.
    rows.RemoveAt(2);
    EXPECT_EQ(rows.SelectedPosition(), std::nullopt);
    EXPECT_TRUE(view.selectionModel()->selectedRows().isEmpty());

    rows.Select(1);
    rows.Clear();
    EXPECT_TRUE(view.selectionModel()->selectedRows().isEmpty());
}

TEST(ListView, ARowFilledInSortedModeMovesInTheViewAndKeepsItsSelection) {
    ListView view;
    QAbstractItemModelTester tester(view.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    ListRows& rows = view.Rows();
    AddChannelColumns(rows);
    rows.AddRows({Channel("a", "", "TV", "German"), Channel("b", "", "TV", "English"),
                  Channel("c", "", "TV", "French")});
    rows.SetSortKey(2);
    rows.SetSorted(true);  // b English, c French, a German
    int position = rows.Add("new");
    EXPECT_EQ(position, 1);  // empty type sorts first until it is set
    rows.Select(position);
    position = rows.SetSubItem(position, 1, "Radio");
    position = rows.SetSubItem(position, 2, "Greek");
    EXPECT_EQ(position, 4);
    EXPECT_EQ(Cell(view, 3, 0), "new");
    EXPECT_EQ(Cell(view, 3, 2), "Greek");
    EXPECT_EQ(Cell(view, 0, 0), "b");
    ASSERT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().first().row(), 3);
    EXPECT_EQ(rows.SelectedPosition(), 4);
    // And back up past every other row.
    EXPECT_EQ(rows.SetSubItem(4, 2, "Arabic"), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().first().row(), 0);
    EXPECT_EQ(Cell(view, 1, 0), "b");
}

TEST(ListView, ClicksReportPositionsCountedFromOne) {
    ListView view;
    ListRows& rows = view.Rows();
    AddChannelColumns(rows);
    for (const char* name : {"One", "Two", "Three"})
        rows.Add(Channel(name, "", "TV", ""));
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    QSignalSpy items(&view, &ListView::ItemClick);
    QSignalSpy columns(&view, &ListView::ColumnClick);

    const QRect second = view.visualRect(view.model()->index(1, 1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.at(0).at(0).toInt(), 2);
    // The row is selected by the time the click is reported.
    EXPECT_EQ(rows.SelectedPosition(), 2);

    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(rows.SelectedPosition(), 3);
    QTest::keyClick(&view, Qt::Key_Return);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(1).at(0).toInt(), 3);

    // Below the last row nothing is clicked.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      QPoint(5, view.viewport()->height() - 3));
    EXPECT_EQ(items.size(), 2);

    QHeaderView* header = view.header();
    const int x = header->sectionViewportPosition(2) + header->sectionSize(2) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    ASSERT_EQ(columns.size(), 1);
    EXPECT_EQ(columns.at(0).at(0).toInt(), 3);
    // The view itself never sorts: the order is the rows' own.
    EXPECT_EQ(Cell(view, 0, 0), "One");
}

TEST(ListView, SharedRowsOutliveTheViewAndCanBeWatchedAgain) {
    auto rows = std::make_shared<ListRows>();
    AddChannelColumns(*rows);
    rows->Add(Channel("Kept", "", "TV", ""));
    {
        ListView view(rows);
        EXPECT_EQ(view.model()->rowCount(), 1);
        EXPECT_EQ(view.SharedRows(), rows);
    }
    // The view is gone; changing the rows must not reach a dead model.
    rows->Add(Channel("After", "", "TV", ""));
    rows->Select(2);
    ListView again(rows);
    EXPECT_EQ(again.model()->rowCount(), 2);
    ASSERT_EQ(again.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(again.selectionModel()->selectedRows().first().row(), 1);
}

}  // namespace
}  // namespace quorvel
