// File > Recordings...: what the list shows and what its buttons do.
#include "schedule/ScheduleStore.h"
#include "shell/schedule/RecordingsDialog.h"
#include "shell/schedule/ScheduleRunner.h"

#include "ScopedHives.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace quorvel {
namespace {

constexpr std::int64_t kListNow = 1900000000;
constexpr const char* kListApp = "QuorvelRecordingsTest";

ScheduleEntry Kept(std::uint64_t id, const char* title, EntryState state) {
    ScheduleEntry entry;
    entry.id = id;
    entry.channel = "News One";
    entry.address = "http://tv.example/news.ts";
    entry.title = title;
    entry.start = kListNow + 3600 * static_cast<std::int64_t>(id);
    entry.stop = entry.start + 1800;
    entry.state = state;
    return entry;
}

TEST(RecordingsDialog, ListsEveryStateCancelsOpensAFileAndTellsWhyOneFailed) {
    const test::ScopedHives hives;
    ScheduleEntry failed = Kept(1, "<b>Quiz</b>", EntryState::Failed);
    failed.start = kListNow - 7200;
    failed.stop = kListNow - 3600;
    failed.reason = "HTTP error 404 Not Found";
    failed.file = "/videos/News One 2030-03-17 17-00.ts";
    ScheduleEntry finished = Kept(2, "Film", EntryState::Finished);
    finished.start = kListNow - 7200;
    finished.stop = kListNow - 3600;
    finished.file = "/videos/Film.ts";
    for (const ScheduleEntry& entry :
         {failed, finished, Kept(3, "Late News", EntryState::Scheduled)})
        ASSERT_TRUE(SaveScheduleEntry(kListApp, entry));

    ScheduleRunner runner(kListApp, [] { return kListNow; });
    runner.Load();
    RecordingsDialog dialog(runner);
    QString opened;
    dialog.openFile = [&](const QString& path) { opened = path; };
    QTreeWidget& list = *dialog.lstRecordings;
    ASSERT_EQ(list.topLevelItemCount(), 3);
    EXPECT_EQ(list.topLevelItem(0)->text(3), QStringLiteral("Failed"));
    EXPECT_EQ(list.topLevelItem(1)->text(3), QStringLiteral("Finished"));
    EXPECT_EQ(list.topLevelItem(2)->text(3), QStringLiteral("Scheduled"));
    EXPECT_TRUE(dialog.lblNote->text().contains(QStringLiteral("does not wake the computer")));
    // The margins shown are the defaults, and a change is kept at once.
    EXPECT_EQ(dialog.spnBefore->value(), 2);
    EXPECT_EQ(dialog.spnAfter->value(), 5);
    dialog.spnAfter->setValue(20);
    EXPECT_EQ(LoadScheduleMargins(kListApp).after, 20 * 60);

    list.setCurrentItem(list.topLevelItem(0));
    EXPECT_FALSE(dialog.lblReason->isHidden());
    EXPECT_EQ(dialog.lblReason->textFormat(), Qt::PlainText);
    EXPECT_TRUE(dialog.lblReason->text().endsWith(QStringLiteral("HTTP error 404 Not Found")));

    list.setCurrentItem(list.topLevelItem(1));
    EXPECT_TRUE(dialog.lblReason->isHidden());
    ASSERT_TRUE(dialog.cmdOpenFile->isEnabled());
    dialog.cmdOpenFile->click();
    EXPECT_EQ(opened, QStringLiteral("/videos/Film.ts"));

    list.setCurrentItem(list.topLevelItem(2));
    EXPECT_FALSE(dialog.cmdOpenFile->isEnabled());
    EXPECT_EQ(dialog.cmdRemove->text(), QStringLiteral("Cancel Recording"));
    dialog.cmdRemove->click();
    EXPECT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(LoadSchedule(kListApp).entries.size(), 2u);
}

}  // namespace
}  // namespace quorvel
