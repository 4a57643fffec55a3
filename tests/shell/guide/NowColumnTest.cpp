#include "shell/guide/NowColumn.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include "shell/widgets/RowFilterModel.h"

#include <string>

#include "ScopedHives.h"
#include "TempDir.h"
#include "appearance/ProductInfo.h"
#include "shell/guide/GuideChoices.h"
#include "shell/widgets/ListRowsModel.h"
#include "shell/widgets/ListView.h"

namespace quorvel {
namespace {

using test::TempDir;

constexpr guide::GuideTime kAt = 1796731200;  // 2026-12-08 12:00 UTC
constexpr int kChannels = 600;

// Channel i is "Channel i" in the guide, with "Show i" on from 11:30 to 12:30 and "Later i"
// after it; channel 0's title is markup.
std::filesystem::path MakeGuide(const TempDir& dir) {
    const auto path = dir / "guide.sqlite";
    std::string error;
    auto store = guide::GuideStore::Open(path, error);
    EXPECT_TRUE(store) << error;
    auto import = store->BeginImport("test.xml", kAt);
    for (int i = 0; i < kChannels; ++i) {
        const std::string id = "ch" + std::to_string(i);
        const std::string name = "Channel " + std::to_string(i);
        import->AddChannel(id, {name});
        const std::string title =
            i == 0 ? "<b>Bold</b> <img src=\"/dev/zero\">" : "Show " + std::to_string(i);
        const std::string later = "Later " + std::to_string(i);
        std::string_view texts[guide::kProgrammeTextCount] = {};
        texts[0] = title;
        import->AddProgramme(id, kAt - 1800, kAt + 1800, texts);
        texts[0] = later;
        import->AddProgramme(id, kAt + 1800, kAt + 3600, texts);
    }
    EXPECT_TRUE(import->Commit({})) << import->Error();
    return path;
}

void FillRows(ListView& view) {
    view.Rows().AddColumn("Channel", 2800);
    std::vector<ListRow> rows;
    for (int i = 0; i < kChannels; ++i) {
        ListRow row;
        row.text = "Channel " + std::to_string(i);
        row.tag = "http://tv.example/" + std::to_string(i);
        rows.push_back(std::move(row));
    }
    view.Rows().AddRows(std::move(rows));
}

QString NowText(ListView& view, NowColumn& column, int row, int role = Qt::DisplayRole) {
    const QModelIndex cell = view.RowsModel()->index(row, view.RowsModel()->ExtraColumnIndex());
    if (!cell.data(role).isValid()) {
        QSignalSpy answered(&column, &NowColumn::Answered);
        if (!answered.wait(10'000))
            return QStringLiteral("(no answer)");
    }
    return cell.data(role).toString();
}

TEST(NowColumn, AsksOnlyForTheRowsOnScreen) {
    TempDir dir;
    test::ScopedHives hives;
    ListView view;
    FillRows(view);
    NowColumn column(&view, MakeGuide(dir));
    column.now = [] { return kAt; };
    ASSERT_EQ(view.RowsModel()->ExtraColumnIndex(), 1);
    EXPECT_EQ(column.RowsAsked(), 0u);  // nothing before the list is seen

    QSignalSpy answered(&column, &NowColumn::Answered);
    view.resize(500, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const auto lastShown = [&view] {
        const QModelIndex bottom = view.indexAt(QPoint(0, view.viewport()->height() - 1));
        // Scrolled to the end, the last row may not reach the bottom.
        if (!bottom.isValid() && view.indexAt(QPoint(0, 0)).isValid())
            return kChannels - 1;
        return view.FilterModel()->mapToSource(bottom).row();
    };
    // Until the last row on screen has its answer.
    const auto waitForPage = [&] {
        // The rows are laid out, and the last one answered (before that: no row there).
        while (lastShown() < 0 || !column.HasAnswer(view.Rows().At(lastShown() + 1))) {
            if (!answered.wait(10'000))
                return false;
        }
        return true;
    };
    ASSERT_TRUE(waitForPage());
    const std::size_t page = column.RowsAsked();
    EXPECT_GT(lastShown(), 5) << view.viewport()->height();
    EXPECT_GT(page, 5u);
    EXPECT_LT(page, 40u);
    EXPECT_EQ(NowText(view, column, 1), QStringLiteral("Show 1"));

    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    ASSERT_TRUE(waitForPage());
    const std::size_t scrolled = column.RowsAsked() - page;
    EXPECT_GT(scrolled, 5u);
    EXPECT_LT(scrolled, 40u);
    EXPECT_EQ(NowText(view, column, kChannels - 1), QStringLiteral("Show %1").arg(kChannels - 1));
    EXPECT_EQ(column.RowsAsked(), page + scrolled);  // answers are kept
}

TEST(NowColumn, AHostileTitleStaysPlainInTheTooltip) {
    TempDir dir;
    test::ScopedHives hives;
    ListView view;
    FillRows(view);
    NowColumn column(&view, MakeGuide(dir));
    column.now = [] { return kAt; };
    const QString tip = NowText(view, column, 0, Qt::ToolTipRole);
    EXPECT_FALSE(tip.contains(QStringLiteral("<b>"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("&lt;b&gt;Bold&lt;/b&gt; &lt;img")))
        << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("Later 0"))) << tip.toStdString();
}

TEST(NowColumn, AGuideChannelChosenByHandOutlivesARestartAndWinsOverTheName) {
    TempDir dir;
    test::ScopedHives hives;
    LoadProductInfo();
    const auto store = MakeGuide(dir);
    ASSERT_TRUE(SetHandGuideChannel("http://tv.example/1", "ch2"));
    ASSERT_TRUE(SetGuideOffsetHours(-1.5));
    EXPECT_EQ(GuideOffsetHours(), -1.5);
    ASSERT_TRUE(SetGuideOffsetHours(0));
    // Another run of the program: the choice comes from the settings.
    ListView view;
    FillRows(view);
    NowColumn column(&view, store);
    column.now = [] { return kAt; };
    EXPECT_EQ(NowText(view, column, 1), QStringLiteral("Show 2"));
    EXPECT_EQ(NowText(view, column, 3), QStringLiteral("Show 3"));
    ASSERT_TRUE(SetHandGuideChannel("http://tv.example/1", ""));
    column.Reload();
    EXPECT_EQ(NowText(view, column, 1), QStringLiteral("Show 1"));
}

}  // namespace
}  // namespace quorvel
