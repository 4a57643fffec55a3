#pragma once

#include <QDialog>
#include <QPointer>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "guide/GuideTime.h"

class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class QThread;

namespace quorvel {

// "Programme Guide...": every guide with its state (channels, programmes, days covered, last
// refresh, last error), guides added by address or file, removed, refreshed now. Guides are
// read on a thread of their own; the window stays free meanwhile.
class GuideDialog : public QDialog {
    Q_OBJECT
public:
    GuideDialog(std::filesystem::path storePath, QWidget* parent = nullptr);
    ~GuideDialog() override;

    QListWidget* lstGuides = nullptr;
    QLabel* lblState = nullptr;
    QPushButton* cmdAddAddress = nullptr;
    QPushButton* cmdAddFile = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdRefresh = nullptr;
    // Moves every channel's times (the user's settings), for guides in the wrong zone.
    QLabel* lblOffset = nullptr;
    QDoubleSpinBox* txtOffset = nullptr;

    // Reads a guide (an address or a file) into the store; `Read` tells when it is over.
    void AddSource(const QString& source);
    void RemoveSelected();
    void RefreshSelected();

    // Stand-ins for the questions asked and the clock, for tests.
    std::function<QString()> askAddress;
    std::function<QString()> askFile;
    std::function<guide::GuideTime()> now;

Q_SIGNALS:
    void Read();

private:
    void Fill(const QString& select = {});
    QString SelectedSource() const;
    void ShowSelected();
    void RetranslateUi();

    std::filesystem::path m_storePath;
    QPointer<QThread> m_reading;
    // Set when the window closes: a guide still being read stops at once.
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace quorvel
