#include "shell/widgets/ListSearch.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/RowFilterModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

namespace quorvel {
namespace {

constexpr int kRows = 100'000;

// Row i is "Channel i", every tenth "Caf\u00e9 i"; the tag tells the row apart.
std::vector<ListRow> MakeRows(const std::string& prefix) {
    std::vector<ListRow> rows(kRows);
    for (int i = 0; i < kRows; ++i) {
        rows[i].text =
            (i % 10 == 0 ? prefix + "Caf\xC3\xA9 " : prefix + "Channel ") + std::to_string(i);
        rows[i].tag = "http://s/" + std::to_string(i);
        rows[i].SetSubItem(1, "TV");
    }
    return rows;
}

struct SearchFixture : ::testing::Test {
    SearchFixture() {
        view.Rows().AddColumn("Channel", 2800);
        view.Rows().AddColumn("Category", 1440);
        view.Rows().AddRows(MakeRows(""));
    }
    QString Shown(int row) const { return view.model()->index(row, 0).data().toString(); }
    int ShownCount() const { return view.model()->rowCount(); }

    ListView view;
    SearchBox box;
    ListSearch search{&view, &box};
    QAbstractItemModelTester tester{view.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(SearchFixture, NarrowWidenAndClearKeepTheRowsAndTheirOrder) {
    box.setText("CAFE");
    EXPECT_EQ(ShownCount(), kRows / 10);
    EXPECT_EQ(Shown(1), "Caf\xC3\xA9 10");
    box.setText("cafe 99");        // typing on
    EXPECT_EQ(ShownCount(), 111);  // 99, 990..999 step 10, 9900.., 99000..
    box.setText("caf");            // back
    EXPECT_EQ(ShownCount(), kRows / 10);
    box.setText("nothing like it");
    EXPECT_EQ(ShownCount(), 0);

    // Escape empties the box: every row, in its order, and the rows were never touched.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&box, &escape);
    EXPECT_TRUE(box.text().isEmpty());
    EXPECT_EQ(ShownCount(), kRows);
    EXPECT_EQ(Shown(12345), "Channel 12345");
    EXPECT_EQ(view.Rows().Count(), kRows);
}

TEST_F(SearchFixture, SortingWhileFilteredAndClearingKeepTheSort) {
    box.setText("caf\xC3\xA9 12");
    const int matches = ShownCount();
    ASSERT_GT(matches, 2);
    view.Rows().SetSorted(true);
    view.Rows().SetSortOrder(SortOrder::Descending);
    EXPECT_EQ(ShownCount(), matches);
    for (int i = 1; i < matches; ++i)
        ASSERT_GT(CompareListText(Shown(i - 1).toStdString(), Shown(i).toStdString()), 0);
    box.clear();
    EXPECT_EQ(ShownCount(), kRows);
    EXPECT_EQ(Shown(0).toStdString(), view.Rows().At(1).text);
    EXPECT_EQ(Shown(kRows - 1).toStdString(), view.Rows().At(kRows).text);
}

TEST_F(SearchFixture, AReloadWhileFilteredShowsTheNewRowsThatMatch) {
    box.setText("caf\xC3\xA9 5");
    view.Rows().Clear();
    EXPECT_EQ(ShownCount(), 0);
    view.Rows().AddRows(MakeRows("Radio "));
    EXPECT_EQ(ShownCount(), 1111);  // 50, 500..590, 5000..5990, 50000..59990
    EXPECT_EQ(Shown(0), "Radio Caf\xC3\xA9 50");
    // Edited names enter and leave the filter, asked once for a run of edits (a bulk replace
    // must not fold every name again per row).
    QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
    view.Rows().SetText(2, "Cafe 5 renamed");
    for (int position = 3; position <= 1000; ++position)
        view.Rows().SetText(position, "Other " + std::to_string(position));
    ASSERT_TRUE(resets.wait(30'000));
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(Shown(0), "Cafe 5 renamed");
    EXPECT_EQ(ShownCount(), 1111 + 1 - 11);  // 500..590 renamed away
}

TEST_F(SearchFixture, ClicksAndSelectionSpeakOfTheRowsNotOfWhatIsShown) {
    box.setText("caf\xC3\xA9");
    QSignalSpy clicks(&view, &ListView::ItemClick);
    const QModelIndex third = view.model()->index(2, 0);
    Q_EMIT view.clicked(third);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.takeFirst().at(0).toInt(), 21);  // "Café 20" is row 21 of the rows
    view.setCurrentIndex(third);
    EXPECT_EQ(view.Rows().SelectedPosition(), 21);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    EXPECT_EQ(clicks.takeFirst().at(0).toInt(), 21);

    // Still shown: still selected. Hidden: no longer selected, so no tool acts on it.
    box.setText("caf\xC3\xA9 2");
    EXPECT_EQ(view.Rows().SelectedPosition(), 21);
    EXPECT_EQ(view.currentIndex().data().toString(), "Caf\xC3\xA9 20");
    box.setText("caf\xC3\xA9 3");
    EXPECT_FALSE(view.Rows().SelectedPosition().has_value());
    EXPECT_TRUE(view.selectionModel()->selectedRows().isEmpty());
}

TEST_F(SearchFixture, MarkedRowsStayMarkedThroughFilterAndSort) {
    view.FilterModel()->SetRowMark([](const ListRow& row) -> std::optional<QString> {
        if (row.tag == "http://s/30")
            return QString("HTTP error 404");
        return std::nullopt;
    });
    box.setText("caf\xC3\xA9 3");
    view.Rows().SetSorted(true);
    const QModelIndex marked = view.model()->index(0, 0);
    ASSERT_EQ(marked.data().toString(), "Caf\xC3\xA9 30");
    EXPECT_TRUE(marked.data(Qt::ForegroundRole).isValid());
    EXPECT_TRUE(marked.data(Qt::ToolTipRole).toString().contains("HTTP error 404"));
    EXPECT_FALSE(view.model()->index(1, 0).data(Qt::ForegroundRole).isValid());
}

TEST_F(SearchFixture, TheBoxSitsAboveTheColumnsInsideTheList) {
    view.SetTopWidget(&box);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QRect boxArea(box.mapTo(&view, QPoint(0, 0)), box.size());
    const QRect headerArea(view.header()->viewport()->mapTo(&view, QPoint(0, 0)),
                           view.header()->viewport()->size());
    const QRect rowsArea(view.viewport()->mapTo(&view, QPoint(0, 0)), view.viewport()->size());
    EXPECT_TRUE(view.rect().contains(boxArea));
    EXPECT_GE(boxArea.height(), box.sizeHint().height());
    EXPECT_GE(headerArea.top(), boxArea.bottom());
    EXPECT_GT(headerArea.height(), 0);
    EXPECT_GE(rowsArea.top(), headerArea.bottom());
    EXPECT_EQ(view.header()->defaultAlignment(), Qt::AlignLeft | Qt::AlignVCenter);
}

}  // namespace
}  // namespace quorvel
