#pragma once

#include "shell/ApplicationMessage.h"
#include "shell/guide/GuideGrid.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace quorvel {

class ProgrammeDetails;
class ScheduleRunner;

// The programme guide of the channels the main window lists: a day of the guide in a grid, a
// search of the titles of every day kept, a programme's details, and what can be done with
// it: record it or its series, be reminded, play it from its start.
class GuideWindow : public QWidget {
    Q_OBJECT
public:
    // The store and the runner outlive the window; a null runner plans nothing.
    GuideWindow(guide::GuideStore* store, ScheduleRunner* runner, QWidget* parent = nullptr);

    void SetClock(GuideGrid::Clock clock);
    void SetRows(std::vector<GuideChannelRow> rows);
    // Shows the day `offset` days from today (-7 to 14), now on today.
    void ShowDay(int offset);

    // The actions on the current programme.
    void Record(bool series);
    void Remind();
    void PlayFromStart();

    GuideGrid* grid = nullptr;
    ProgrammeDetails* details = nullptr;
    QComboBox* cboDay = nullptr;
    QPushButton* cmdNow = nullptr;
    QLineEdit* txtSearch = nullptr;
    QListWidget* lstFound = nullptr;
    QLabel* lblStatus = nullptr;

    MessagePresenter tell = ShowApplicationMessage;

    static constexpr int kDaysBack = 7;
    static constexpr int kDaysAhead = 14;
    static constexpr std::size_t kMostFound = 200;

Q_SIGNALS:
    // A channel to play live.
    void PlayChannel(const quorvel::GuideChannelRow& channel);
    // A programme to play from its start: the address built for it.
    void PlayAddress(const quorvel::GuideChannelRow& channel, const QString& address);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillDays();
    void ShowCurrent();
    void ShowMenu(const QPoint& globalPos);
    void Search();
    void FoundActivated(QListWidgetItem* item);
    void Status(const QString& text);
    void RetranslateUi();

    guide::GuideStore* m_store;
    ScheduleRunner* m_runner;
    GuideGrid::Clock m_clock;
    std::unordered_map<std::string, int> m_rowOfGuideChannel;
    QTimer m_searchDelay;
};

}  // namespace quorvel
