#pragma once

#include <QObject>
#include <QStyledItemDelegate>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "guide/ChannelMatch.h"
#include "guide/GuideStore.h"
#include "playlists/PlaylistChannel.h"
#include "rows/ListRows.h"

class QTimer;

namespace quorvel {

class Form1;
class ListView;

// Draws what is on now: the title, and under it a thin bar of how much of it has passed.
class NowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // Room for the bar under the text.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// A column of a channel list that shows what is on now for each row, with what comes next
// in its tooltip. A row is asked for only when the view asks for its cell (the rows on
// screen); the rows asked during one paint go to the store in one batch, and each answer is
// kept until its programme ends. The column is there only while the store holds a guide.
class NowColumn : public QObject {
    Q_OBJECT
public:
    static constexpr int ProgressRole = Qt::UserRole + 20;  // 0..1, or nothing

    NowColumn(ListView* view, std::filesystem::path storePath);
    ~NowColumn() override;

    // The playlists whose channels may be in the list: their rows match by tvg-id and
    // tvg-name too. Rows of no playlist (the catalogue's) match by name only.
    void SetPlaylists(std::function<std::vector<NamedPlaylist>()> playlists);
    // The playlists changed.
    void PlaylistsChanged();
    // The guides, the choices by hand or the offset changed: everything is asked again.
    void Reload();

    // What the row offers for finding its guide channel, and its tvg-shift.
    struct RowChannel {
        guide::ChannelKeys keys;
        std::string tvgShift;
    };
    RowChannel ChannelOf(const ListRow& row);
    // The programme on air on the row's channel and its time left, for the player; empty
    // when the guide has none. `passed` gets how much of it has run.
    QString ProgrammeLine(const ListRow& row, std::optional<double>* passed = nullptr);
    // Every channel of the guides held; empty while there is none.
    std::vector<guide::StoredChannel> GuideChannels();

    // Whether the row's answer is at hand, without asking for it (for tests).
    bool HasAnswer(const ListRow& row) const;
    // How many rows were looked up in the store so far (for tests).
    std::size_t RowsAsked() const { return m_rowsAsked; }
    // Stand-in for the clock, for tests.
    std::function<guide::GuideTime()> now;

Q_SIGNALS:
    // A batch of rows was answered.
    void Answered();
    // The guides, the choices by hand or the offset were read again.
    void Reloaded();

private:
    struct Entry {
        guide::NowAndNext programmes;
        guide::GuideTime expires = 0;
    };
    QVariant Cell(const ListRow& row, int role);
    const Entry* Lookup(const ListRow& row);
    void AskBatch();
    void Install(bool on);
    void PlaceDelegate();

    ListView* m_view;
    std::filesystem::path m_storePath;
    std::unique_ptr<guide::GuideStore> m_store;
    std::optional<guide::ChannelMatcher> m_matcher;
    double m_offsetHours = 0;
    std::function<std::vector<NamedPlaylist>()> m_playlists;
    // Address to channel of the playlists read, made when first needed.
    std::vector<NamedPlaylist> m_read;
    std::unordered_map<std::string, const PlaylistChannel*> m_byAddress;
    bool m_addressesMade = false;

    std::unordered_map<std::string, Entry> m_cache;
    std::vector<ListRow> m_pending;
    std::unordered_set<std::string> m_pendingKeys;
    bool m_batchQueued = false;
    std::size_t m_rowsAsked = 0;
    NowDelegate* m_delegate;
    QTimer* m_tick;
    bool m_installed = false;
};

// The player of the main window shows the programme on air on the channel it plays, and its
// time left.
void ShowProgrammeInPlayer(Form1* form, NowColumn* column);

}  // namespace quorvel
