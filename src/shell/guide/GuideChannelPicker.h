#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "guide/GuideStore.h"

class QLineEdit;
class QListWidget;

namespace quorvel {

class ListView;
class NowColumn;

// Picks the guide channel of a channel by hand: the guide's channels with a filter over
// their names and ids, and "Match Automatically" to take a choice back.
class GuideChannelPicker : public QDialog {
    Q_OBJECT
public:
    GuideChannelPicker(const QString& channelName,
                       const std::vector<guide::StoredChannel>& channels, const std::string& chosen,
                       QWidget* parent = nullptr);

    QLineEdit* txtFilter = nullptr;
    QListWidget* lstChannels = nullptr;

    // The guide channel id picked; empty for matching automatically.
    std::string Picked() const;

private:
    void Filter(const QString& text);
    bool m_automatic = false;
};

// The channel list's context menu gets "Guide Channel...": the choice is kept in the user's
// settings and the now column asks again.
void AddGuideChannelMenu(ListView* view, NowColumn* column);

}  // namespace quorvel
