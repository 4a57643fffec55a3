#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "guide/GuideStore.h"

class QLineEdit;
class QListWidget;
class QMenu;

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
// settings and the now column asks again. `more` adds the actions of the row at a source
// position of the list.
using RowMenuActions = std::function<void(QMenu& menu, int source)>;
void AddGuideChannelMenu(ListView* view, NowColumn* column, RowMenuActions more = {});

}  // namespace quorvel
