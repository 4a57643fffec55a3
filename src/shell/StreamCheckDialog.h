#pragma once

#include <QDialog>

#include <string>
#include <thread>
#include <vector>

#include "health/StreamChecker.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quorvel {

// Checks stream addresses off the GUI thread, showing how far it got, with a Cancel button
// (closing the window cancels too). Finished comes once the check has ended, done or
// cancelled; the report is then complete.
class StreamCheckDialog : public QDialog {
    Q_OBJECT
public:
    StreamCheckDialog(std::vector<std::string> addresses, CheckOptions options,
                      QWidget* parent = nullptr);
    // Cancels a running check and waits for it (a few tens of milliseconds).
    ~StreamCheckDialog() override;

    void Start();
    void Cancel();
    bool Running() const { return m_worker.joinable(); }
    const std::vector<std::string>& Addresses() const { return m_addresses; }
    const CheckReport& Report() const { return m_report; }
    // Why the check broke off, when it did; the report is then incomplete.
    const QString& Failure() const { return m_failure; }

Q_SIGNALS:
    void Finished();

protected:
    void reject() override;

private:
    void ShowProgress();
    void Done();

    std::vector<std::string> m_addresses;
    StreamChecker m_checker;
    std::thread m_worker;
    CheckReport m_report;
    QString m_failure;
    int m_known = 0;
    int m_failed = 0;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace quorvel
