#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

class QLabel;

namespace quorvel {

// What the picture area shows while there is no picture: the channel and what the player
// waits for while it connects, or for a stream of sound alone what plays (the stream's
// title and the titles before it). Every text on it comes from outside and is shown plain.
class PlayerStatusPanel : public QWidget {
    Q_OBJECT
public:
    explicit PlayerStatusPanel(QWidget* parent = nullptr);

    void SetChannel(const QString& name);
    // The channel's logo; a null image leaves its place empty.
    void SetLogo(const QImage& logo);
    // What happens now ("Connecting...") and what it waits for, each a line of its own.
    void SetStatus(const QString& status, const QString& detail = {});
    // The stream's title now and the ones before it, newest first.
    void SetTitles(const QString& now, const QStringList& before);

    // Everything the panel shows, line by line, as the user reads it.
    QStringList Lines() const;
    QLabel* LogoLabel() const { return m_logo; }

    static constexpr int kEarlierTitles = 4;

private:
    QLabel* m_logo = nullptr;
    QLabel* m_channel = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_detail = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_earlier = nullptr;
};

}  // namespace quorvel
