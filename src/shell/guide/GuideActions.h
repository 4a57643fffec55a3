#pragma once

#include "shell/ApplicationMessage.h"
#include "shell/guide/ProgrammeActions.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <functional>

class QMenu;
class QWidget;

namespace quorvel {

class ScheduleRunner;

// What the guide window and the channel list's menu do with a programme: one piece for both.
// Each tells a failure through `tell`; the text returned is for a status line, empty when
// nothing was done.
class GuideActions {
    Q_DECLARE_TR_FUNCTIONS(GuideActions)
public:
    // A recording with the margins of the settings; a series plans every programme of the
    // title on the channel that the guide keeps ahead (the store is needed only then).
    static QString Record(ScheduleRunner& runner, guide::GuideStore* store,
                          const GuideChannelRow& channel, const guide::StoredProgramme& programme,
                          bool series, std::int64_t now, QWidget* parent,
                          const MessagePresenter& tell);
    // A reminder with the lead of the settings.
    static QString Remind(ScheduleRunner& runner, const GuideChannelRow& channel,
                          const guide::StoredProgramme& programme, QWidget* parent,
                          const MessagePresenter& tell);
    // The address that plays the programme from its start; empty when it cannot be built.
    static QString StartAddress(const GuideChannelRow& channel,
                                const guide::StoredProgramme& programme, std::int64_t now,
                                QWidget* parent, const MessagePresenter& tell);
};

// A channel's programme on air and the next, as the channel list's context menu offers them.
// `done` gets the line that tells what was planned.
using PlayFromStart = std::function<void(const GuideChannelRow&, const QString& address)>;
using ActionDone = std::function<void(const QString& status)>;
void AddNowNextActions(QMenu& menu, const GuideChannelRow& channel, const guide::NowAndNext& found,
                       ScheduleRunner* runner, std::int64_t now, QWidget* parent,
                       const MessagePresenter& tell, const PlayFromStart& play,
                       const ActionDone& done = {});

}  // namespace quorvel
