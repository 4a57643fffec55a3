#include "shell/guide/GuideActions.h"

#include "schedule/ScheduleStore.h"
#include "shell/schedule/ScheduleRunner.h"

#include <QMenu>
#include <QStringList>

namespace quorvel {

QString GuideActions::Record(ScheduleRunner& runner, guide::GuideStore* store,
                             const GuideChannelRow& channel,
                             const guide::StoredProgramme& programme, bool series, std::int64_t now,
                             QWidget* parent, const MessagePresenter& tell) {
    ScheduleEntry entry = RecordingOf(channel, programme, series);
    const ScheduleMargins margins = LoadScheduleMargins(runner.AppName());
    entry.marginBefore = margins.before;
    entry.marginAfter = margins.after;
    const Schedule::Added added = runner.Add(entry);
    if (added.id == 0) {
        tell(parent, tr("The recording could not be planned.") + QLatin1Char('\n') +
                         QString::fromStdString(added.problem));
        return {};
    }
    if (!series || !store)
        return tr("Recording planned: %1")
            .arg(QString::fromStdString(programme.texts[guide::kTitle]));
    // Every programme of the title on the channel that the guide keeps ahead.
    const guide::KeptSpan kept = guide::KeptAround(now);
    std::vector<ProgrammeSlot> slots;
    for (const guide::StoredProgramme& one :
         store->Programmes(channel.guideId, now - channel.shift, kept.to - channel.shift)) {
        if (one.texts[guide::kTitle] == programme.texts[guide::kTitle])
            slots.push_back({channel.name, one.texts[guide::kTitle], one.start + channel.shift,
                             one.stop + channel.shift});
    }
    QStringList refused;
    int planned = 0;
    for (const Schedule::Added& one : runner.ApplySeries(slots)) {
        if (one.id != 0)
            ++planned;
        else
            refused << QString::fromStdString(one.problem);
    }
    if (!refused.isEmpty())
        tell(parent, tr("Some programmes of the series could not be planned.") + QLatin1Char('\n') +
                         refused.join(QLatin1Char('\n')));
    return tr("Series planned: %1 recordings").arg(planned);
}

QString GuideActions::Remind(ScheduleRunner& runner, const GuideChannelRow& channel,
                             const guide::StoredProgramme& programme, QWidget* parent,
                             const MessagePresenter& tell) {
    ScheduleEntry entry = ReminderOf(channel, programme);
    entry.lead = LoadScheduleMargins(runner.AppName()).lead;
    const Schedule::Added added = runner.Add(entry);
    if (added.id == 0) {
        tell(parent, tr("The reminder could not be planned.") + QLatin1Char('\n') +
                         QString::fromStdString(added.problem));
        return {};
    }
    return tr("Reminder planned: %1").arg(QString::fromStdString(programme.texts[guide::kTitle]));
}

QString GuideActions::StartAddress(const GuideChannelRow& channel,
                                   const guide::StoredProgramme& programme, std::int64_t now,
                                   QWidget* parent, const MessagePresenter& tell) {
    const guide::CatchupAddress built = CatchupOf(channel, programme, now);
    if (!built.Playable()) {
        tell(parent, tr("This programme cannot be played from its start.") + QLatin1Char('\n') +
                         QString::fromStdString(built.problem));
        return {};
    }
    return QString::fromStdString(built.address);
}

void AddNowNextActions(QMenu& menu, const GuideChannelRow& channel, const guide::NowAndNext& found,
                       ScheduleRunner* runner, std::int64_t now, QWidget* parent,
                       const MessagePresenter& tell, const PlayFromStart& play,
                       const ActionDone& done) {
    if (!found.now && !found.next)
        return;
    const auto told = [done](const QString& status) {
        if (done && !status.isEmpty())
            done(status);
    };
    menu.addSeparator();
    if (runner && found.now && ChoicesFor(channel, *found.now, now).record) {
        menu.addAction(GuideActions::tr("Record Now Playing Programme"), &menu,
                       [=, programme = *found.now] {
                           told(GuideActions::Record(*runner, nullptr, channel, programme, false,
                                                     now, parent, tell));
                       });
    }
    if (runner && found.next) {
        const ProgrammeChoices choices = ChoicesFor(channel, *found.next, now);
        if (choices.record) {
            menu.addAction(GuideActions::tr("Record Next Programme"), &menu,
                           [=, programme = *found.next] {
                               told(GuideActions::Record(*runner, nullptr, channel, programme,
                                                         false, now, parent, tell));
                           });
        }
        if (choices.remind) {
            menu.addAction(
                GuideActions::tr("Remind Me of Next Programme"), &menu,
                [=, programme = *found.next] {
                    told(GuideActions::Remind(*runner, channel, programme, parent, tell));
                });
        }
    }
    if (play && found.now && ChoicesFor(channel, *found.now, now).playFromStart) {
        menu.addAction(GuideActions::tr("Play from Start"), &menu, [=, programme = *found.now] {
            const QString address =
                GuideActions::StartAddress(channel, programme, now, parent, tell);
            if (!address.isEmpty())
                play(channel, address);
        });
    }
}

}  // namespace quorvel
