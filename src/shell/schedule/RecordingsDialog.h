#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace quorvel {

class ScheduleRunner;

// File > Recordings...: the scheduled, running and finished recordings and the reminders,
// to cancel one, open a recording's file or read why one failed.
class RecordingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit RecordingsDialog(ScheduleRunner& runner, QWidget* parent = nullptr);

    QTreeWidget* lstRecordings = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdOpenFile = nullptr;
    QLabel* lblReason = nullptr;
    QLabel* lblNote = nullptr;
    QLabel* lblBefore = nullptr;
    QLabel* lblAfter = nullptr;
    QLabel* lblLead = nullptr;
    // Minutes a recording starts early and ends late, and a reminder comes early; kept at
    // once for what is planned next.
    QSpinBox* spnBefore = nullptr;
    QSpinBox* spnAfter = nullptr;
    QSpinBox* spnLead = nullptr;

    // Stand-in for the desktop's file opener, for tests.
    std::function<void(const QString& path)> openFile;

private:
    void Fill();
    void ShowSelected();
    void RetranslateUi();
    void SaveMargins();
    std::uint64_t SelectedId() const;

    ScheduleRunner& m_runner;
};

}  // namespace quorvel
