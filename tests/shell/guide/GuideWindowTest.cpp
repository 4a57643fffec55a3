// The guide window: what it asks of the store, what a click plays, and what its actions plan.
#include "guide/GuideStore.h"
#include "schedule/ScheduleStore.h"
#include "shell/guide/GuideWindow.h"
#include "shell/guide/ProgrammeDetails.h"
#include "shell/schedule/ScheduleRunner.h"
#include "shell/widgets/PlainText.h"

#include "ScopedHives.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace quorvel {
namespace {

constexpr std::int64_t kNow = 1900000000;
constexpr const char* kApp = "QuorvelGuideWindowTest";

struct Programme {
    const char* channel;
    std::int64_t start;
    std::int64_t stop;
    std::string title;
    std::string description = {};
    std::string episode = {};
    std::string rating = {};
};

std::unique_ptr<guide::GuideStore> StoreWith(const test::TempDir& dir,
                                             const std::vector<Programme>& programmes) {
    std::string error;
    auto store = guide::GuideStore::Open(dir / "guide.sqlite", error);
    EXPECT_TRUE(store) << error;
    auto import = store->BeginImport("test-guide", kNow);
    for (const Programme& one : programmes) {
        const std::string_view texts[guide::kProgrammeTextCount] = {
            one.title, {}, one.description, {}, one.episode, one.rating};
        EXPECT_TRUE(import->AddProgramme(one.channel, one.start, one.stop, texts));
    }
    EXPECT_TRUE(import->Commit({}));
    return store;
}

GuideChannelRow Channel(std::string name, std::string guideId, std::string catchup = {},
                        std::string source = {}) {
    GuideChannelRow row;
    row.name = name;
    row.address = "http://tv.example/" + guideId + ".ts";
    row.guideId = std::move(guideId);
    row.catchup.catchup = std::move(catchup);
    row.catchup.catchupSource = std::move(source);
    return row;
}

TEST(GuideWindow, AsksTheStoreOnlyForTheRowsOnScreenAndOnceForEach) {
    const test::TempDir dir;
    auto store = StoreWith(dir, {{"c1", kNow - 600, kNow + 1200, "News"}});
    GuideWindow window(store.get(), nullptr);
    window.SetClock([] { return kNow; });
    std::vector<GuideChannelRow> rows;
    for (int i = 0; i < 10000; ++i)
        rows.push_back(Channel("Channel " + std::to_string(i), "c" + std::to_string(i)));
    window.SetRows(std::move(rows));
    GuideGrid& grid = *window.grid;
    grid.resize(800, 400);
    grid.grab();
    const int onScreen = (grid.viewport()->height() - grid.HeaderHeight()) / grid.RowHeight() + 2;
    ASSERT_GT(grid.viewport()->height(), 300);
    const int first = grid.StoreQueries();
    EXPECT_GT(first, 0);
    EXPECT_LE(first, onScreen);
    grid.grab();
    EXPECT_EQ(grid.StoreQueries(), first) << "rows drawn again are asked again";
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    grid.grab();
    EXPECT_GT(grid.StoreQueries(), first);
    EXPECT_LE(grid.StoreQueries(), first + onScreen);
}

TEST(GuideWindow, AClickOnAChannelPlaysIt) {
    const test::TempDir dir;
    std::string error;
    auto store = guide::GuideStore::Open(dir / "guide.sqlite", error);
    ASSERT_TRUE(store) << error;
    GuideWindow window(store.get(), nullptr);
    window.SetRows({Channel("One", "one"), Channel("Two", "two")});
    // No guide yet: the window says where one is added.
    EXPECT_TRUE(window.lblStatus->text().contains(QStringLiteral("File > Programme Guide...")));
    GuideGrid& grid = *window.grid;
    grid.resize(800, 400);
    QSignalSpy played(&window, &GuideWindow::PlayChannel);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      QPoint(20, grid.HeaderHeight() + grid.RowHeight() + grid.RowHeight() / 2));
    ASSERT_EQ(played.count(), 1);
    EXPECT_EQ(played.at(0).at(0).value<GuideChannelRow>().name, "Two");
    // A click on a programme's place only chooses it.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      QPoint(GuideGrid::kChannelWidth + 50, grid.HeaderHeight() + 5));
    EXPECT_EQ(played.count(), 1);
    // The list filled again in another order keeps the channel chosen.
    grid.Choose(1, kNow);
    window.SetRows({Channel("Two", "two"), Channel("Three", "three")});
    ASSERT_TRUE(grid.CurrentChannel());
    EXPECT_EQ(grid.CurrentChannel()->name, "Two");
}

TEST(GuideWindow, PlansRecordingsSeriesAndRemindersAndBuildsCatchupAddresses) {
    const test::ScopedHives hives;
    const test::TempDir dir;
    constexpr std::int64_t kNext = kNow + 3600;
    auto store = StoreWith(dir, {{"news", kNow - 86400, kNow - 84600, "News"},
                                 {"news", kNow - 600, kNow + 1200, "News"},
                                 {"news", kNext, kNext + 1800, "News"},
                                 {"news", kNow + 86400, kNow + 88200, "News"},
                                 {"sport", kNext, kNext + 1800, "Match"},
                                 {"film", kNext, kNext + 1800, "Film"}});
    ScheduleRunner runner(kApp, [] { return kNow; });
    GuideWindow window(store.get(), &runner);
    QStringList told;
    window.tell = [&](QWidget*, const QString& text) { told << text; };
    window.SetClock([] { return kNow; });
    window.SetRows({Channel("News One", "news", "default", "http://archive.example/{utc}-{utcend}"),
                    Channel("Sport", "sport"), Channel("Film", "film")});
    GuideGrid& grid = *window.grid;
    ASSERT_TRUE(SaveScheduleMargins(kApp, {10 * 60, 15 * 60, 3 * 60}));

    grid.Choose(0, kNext);
    window.Record(false);
    window.Remind();
    ASSERT_EQ(runner.Plan().Entries().size(), 2U);
    const ScheduleEntry& recording = runner.Plan().Entries()[0];
    EXPECT_EQ(recording.kind, EntryKind::Recording);
    EXPECT_EQ(recording.channel, "News One");
    EXPECT_EQ(recording.address, "http://tv.example/news.ts");
    EXPECT_EQ(recording.title, "News");
    EXPECT_EQ(recording.start, kNext);
    EXPECT_EQ(recording.stop, kNext + 1800);
    EXPECT_EQ(recording.marginBefore, 10 * 60);
    EXPECT_EQ(recording.marginAfter, 15 * 60);
    EXPECT_EQ(runner.Plan().Entries()[1].kind, EntryKind::Reminder);
    EXPECT_EQ(runner.Plan().Entries()[1].lead, 3 * 60);

    // The series: the rule, and the programme on air and tomorrow's (the next is planned).
    window.Record(true);
    EXPECT_EQ(runner.Plan().Entries().size(), 5U);
    EXPECT_TRUE(told.isEmpty()) << told.join('\n').toStdString();

    // Two at once at most: the third is refused, naming the one it clashes with.
    grid.Choose(1, kNext);
    window.Record(false);
    grid.Choose(2, kNext);
    window.Record(false);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("\"News\" on News One"))) << told[0].toStdString();

    QSignalSpy played(&window, &GuideWindow::PlayAddress);
    grid.Choose(0, kNow);
    window.PlayFromStart();
    window.ShowDay(-1);
    grid.Choose(0, kNow - 86400);
    window.PlayFromStart();
    ASSERT_EQ(played.count(), 2);
    EXPECT_EQ(played.at(0).at(1).toString(),
              QStringLiteral("http://archive.example/%1-%2").arg(kNow - 600).arg(kNow + 1200));
    EXPECT_EQ(played.at(1).at(1).toString(),
              QStringLiteral("http://archive.example/%1-%2").arg(kNow - 86400).arg(kNow - 84600));
    // A channel without an archive: a message, nothing played.
    window.ShowDay(0);
    grid.Choose(1, kNext);
    window.PlayFromStart();
    EXPECT_EQ(played.count(), 2);
    EXPECT_EQ(told.size(), 2);
}

TEST(GuideWindow, GuideTextsStayPlainAndCappedAndTitlesAreFoundInAnyCase) {
    const test::TempDir dir;
    const std::string hostile = "<img src=\"/dev/zero\"><b>Late</b> News";
    auto store = StoreWith(dir, {{"one", kNow - 7200, kNow - 3600, "Late Show"},
                                 {"one", kNow + 600, kNow + 1800, hostile, std::string(100000, 'x'),
                                  "S01E02", "FSK: <b>16</b>"}});
    GuideWindow window(store.get(), nullptr);
    window.SetClock([] { return kNow; });
    window.SetRows({Channel("<i>One</i>", "one")});
    window.grid->Choose(0, kNow + 600);
    EXPECT_EQ(window.details->lblTitle->textFormat(), Qt::PlainText);
    EXPECT_EQ(window.details->lblTitle->text().toStdString(), hostile);
    EXPECT_EQ(window.details->lblDescription->textFormat(), Qt::PlainText);
    EXPECT_LE(window.details->lblDescription->text().size(), kPlainTextChars);
    EXPECT_EQ(window.details->lblTime->textFormat(), Qt::PlainText);
    EXPECT_EQ(window.details->lblEpisode->text(), QStringLiteral("S01E02"));
    EXPECT_EQ(window.details->lblRating->textFormat(), Qt::PlainText);
    EXPECT_EQ(window.details->lblRating->text(), QStringLiteral("Rating: FSK: <b>16</b>"));

    window.txtSearch->setText(QStringLiteral("LATE"));
    Q_EMIT window.txtSearch->returnPressed();
    // What is still to come first.
    ASSERT_EQ(window.lstFound->count(), 2);
    EXPECT_TRUE(window.lstFound->item(0)->text().endsWith(QString::fromStdString(hostile)));
    EXPECT_TRUE(window.lstFound->item(1)->text().endsWith(QStringLiteral("Late Show")));
    window.txtSearch->setText(QStringLiteral("%"));
    Q_EMIT window.txtSearch->returnPressed();
    ASSERT_EQ(window.lstFound->count(), 1);
    EXPECT_FALSE(window.lstFound->item(0)->data(Qt::UserRole).isValid()) << "% is a letter";
}

}  // namespace
}  // namespace quorvel
