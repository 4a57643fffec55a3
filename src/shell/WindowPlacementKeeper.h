#pragma once

#include <QObject>

#include <string>

class QTimer;
class QWidget;

namespace quorvel {

// Keeps a main window's place and size in the user's settings: puts the window back where the
// settings say (unless that lies off every screen or the value is damaged: then the window
// keeps the place it was made with), and stores them again once a move or resize has come to
// rest and when the window closes.
class WindowPlacementKeeper : public QObject {
    Q_OBJECT
public:
    // Restores at once; the window is not shown yet.
    WindowPlacementKeeper(QWidget* window, std::string appName, std::string section,
                          std::string key);

    // Stores the place and size now.
    void Save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Restore();

    QWidget* m_window;
    std::string m_appName;
    std::string m_section;
    std::string m_key;
    QTimer* m_settle;
};

}  // namespace quorvel
