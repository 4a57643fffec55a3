// The channel list's menu on a programme on air and the next, and the span of the programme
// on air under the player's seek bar.
#include "guide/GuideStore.h"
#include "schedule/ScheduleStore.h"
#include "shell/guide/GuideActions.h"
#include "shell/guide/GuideWindow.h"
#include "shell/schedule/ScheduleRunner.h"

#include "ScopedHives.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <optional>
#include <tuple>

namespace quorvel {
namespace {

constexpr std::int64_t kMenuNow = 1900000000;
constexpr std::int64_t kMenuNext = kMenuNow + 1200;

QAction* MenuActionNamed(const QMenu& menu, const char* text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == QString::fromUtf8(text))
            return action;
    }
    return nullptr;
}

// Each action of the menu plans what the guide window plans for the same programme.
TEST(NowNextMenu, PlansWhatTheGuideWindowPlansForTheProgrammeOnAirAndTheNext) {
    const test::ScopedHives hives;
    const test::TempDir dir;
    std::string error;
    auto store = guide::GuideStore::Open(dir / "guide.sqlite", error);
    ASSERT_TRUE(store) << error;
    auto import = store->BeginImport("test-guide", kMenuNow);
    for (const auto& [start, stop, title] : {std::tuple{kMenuNow - 600, kMenuNext, "News"},
                                             std::tuple{kMenuNext, kMenuNext + 1800, "Film"}}) {
        const std::string_view texts[guide::kProgrammeTextCount] = {title, {}, {}, {}};
        ASSERT_TRUE(import->AddProgramme("news", start, stop, texts));
    }
    ASSERT_TRUE(import->Commit({}));

    GuideChannelRow channel;
    channel.name = "News One";
    channel.address = "http://tv.example/news.ts";
    channel.guideId = "news";
    channel.shift = 3600;  // the channel's times an hour later than the guide's
    channel.catchup.catchup = "default";
    channel.catchup.catchupSource = "http://archive.example/{utc}-{utcend}";
    channel.userAgent = "Agent";
    const ScheduleMargins margins{10 * 60, 15 * 60, 3 * 60};
    ASSERT_TRUE(SaveScheduleMargins("QuorvelWindowPlans", margins));
    ASSERT_TRUE(SaveScheduleMargins("QuorvelMenuPlans", margins));

    const std::int64_t at = kMenuNow + 3600;
    ScheduleRunner byWindow("QuorvelWindowPlans", [at] { return at; });
    GuideWindow window(store.get(), &byWindow);
    window.SetClock([at] { return at; });
    window.SetRows({channel});
    window.grid->Choose(0, at);
    window.Record(false);
    window.grid->Choose(0, kMenuNext + 3600);
    window.Record(false);
    window.Remind();

    ScheduleRunner byMenu("QuorvelMenuPlans", [at] { return at; });
    QStringList told;
    const MessagePresenter tell = [&told](QWidget*, const QString& text) { told << text; };
    QStringList played;
    QStringList said;
    QMenu menu;
    AddNowNextActions(
        menu, channel, store->NowAndNextOf({{"news", channel.shift}}, at)[0], &byMenu, at, nullptr,
        tell, [&played](const GuideChannelRow&, const QString& address) { played << address; },
        [&said](const QString& status) { said << status; });
    for (const char* text : {"Record Now Playing Programme", "Record Next Programme",
                             "Remind Me of Next Programme", "Play from Start"}) {
        QAction* action = MenuActionNamed(menu, text);
        ASSERT_TRUE(action) << text;
        action->trigger();
    }
    EXPECT_TRUE(told.isEmpty()) << told.join('\n').toStdString();
    EXPECT_EQ(said, (QStringList{"Recording planned: News", "Recording planned: Film",
                                 "Reminder planned: Film"}));

    std::vector<ScheduleEntry> expected = byWindow.Plan().Entries();
    std::vector<ScheduleEntry> planned = byMenu.Plan().Entries();
    ASSERT_EQ(expected.size(), 3U);
    ASSERT_EQ(planned.size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        expected[i].id = planned[i].id = 0;
        EXPECT_EQ(planned[i], expected[i]) << i;
    }
    EXPECT_EQ(planned[0].start, kMenuNow - 600 + 3600);
    EXPECT_EQ(planned[0].marginAfter, margins.after);
    EXPECT_EQ(planned[2].kind, EntryKind::Reminder);
    EXPECT_EQ(planned[2].title, "Film");
    EXPECT_EQ(played, QStringList{QStringLiteral("http://archive.example/%1-%2")
                                      .arg(kMenuNow - 600 + 3600)
                                      .arg(kMenuNext + 3600)});

    // Without an archive there is nothing to play from its start.
    channel.catchup = {};
    QMenu plain;
    AddNowNextActions(plain, channel, store->NowAndNextOf({{"news", channel.shift}}, at)[0],
                      &byMenu, at, nullptr, tell, [](const GuideChannelRow&, const QString&) {});
    EXPECT_TRUE(MenuActionNamed(plain, "Record Next Programme"));
    EXPECT_FALSE(MenuActionNamed(plain, "Play from Start"));
}

TEST(NowNextMenu, TheProgrammeSpanIsThePartPassedClamped) {
    struct Row {
        std::int64_t start, stop, at;
        std::optional<double> passed;
    };
    for (const Row& row :
         {Row{100, 200, 99, 0.0}, Row{100, 200, 100, 0.0}, Row{100, 200, 125, 0.25},
          Row{100, 200, 199, 0.99}, Row{100, 200, 200, 1.0}, Row{100, 200, 5000, 1.0},
          Row{100, 100, 100, std::nullopt}, Row{200, 100, 150, std::nullopt}}) {
        EXPECT_EQ(ProgrammePassed(row.start, row.stop, row.at), row.passed)
            << row.start << ' ' << row.stop << ' ' << row.at;
    }
}

}  // namespace
}  // namespace quorvel
