#pragma once

#include "shell/guide/ProgrammeActions.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace quorvel {

// A programme's details under the guide: its title, time in the user's time zone, sub-title,
// episode, category, rating and description, all guide texts shown plain; and buttons for what can
// be done with it now.
class ProgrammeDetails : public QWidget {
    Q_OBJECT
public:
    explicit ProgrammeDetails(QWidget* parent = nullptr);

    // Nothing chosen: the details are empty and the buttons off.
    void ShowNothing();
    void Show(const GuideChannelRow& channel, const guide::StoredProgramme& programme,
              const ProgrammeChoices& choices);

    QLabel* lblTitle = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblSubTitle = nullptr;
    QLabel* lblEpisode = nullptr;
    QLabel* lblCategory = nullptr;
    QLabel* lblRating = nullptr;
    QLabel* lblDescription = nullptr;
    QPushButton* cmdRecord = nullptr;
    QPushButton* cmdRecordSeries = nullptr;
    QPushButton* cmdRemind = nullptr;
    QPushButton* cmdPlay = nullptr;

private:
    void RetranslateUi();

    ProgrammeChoices m_choices;
    QString m_rating;
};

// "Mon 7 Dec, 20:15 – 21:00" in the user's time zone and language.
QString ProgrammeTimeText(std::int64_t start, std::int64_t stop);

}  // namespace quorvel
