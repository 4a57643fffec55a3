#include "shell/guide/NowColumn.h"
#include "shell/guide/ProgrammeActions.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <system_error>

#include "shell/Form1.h"
#include "shell/guide/GuideChoices.h"
#include "shell/player/MediaPlayer.h"
#include "shell/widgets/ListRowsModel.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"

namespace quorvel {
namespace {

// Answers kept at most this many rows; past it they are asked again.
constexpr std::size_t kNowCacheRows = 4096;
// A row with nothing on is asked again after this, and the progress bars move this often.
constexpr guide::GuideTime kNowRetrySeconds = 15 * 60;
constexpr int kNowTickMs = 30 * 1000;

std::string NowCacheKey(const ListRow& row) {
    return row.tag + '\x1f' + row.text;
}

QString NowTitle(const guide::StoredProgramme& programme) {
    const std::string& title = programme.texts[0];
    return CappedText(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

QString NowClock(guide::GuideTime at) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(at).time(), QLocale::ShortFormat);
}

}  // namespace

void NowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QVariant progress = index.data(NowColumn::ProgressRole);
    if (!progress.isValid())
        return;
    const double part = std::clamp(progress.toDouble(), 0.0, 1.0);
    QRect bar = option.rect.adjusted(4, 0, -4, 0);
    bar.setTop(option.rect.bottom() - 2);
    bar.setHeight(3);
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(bar, option.palette.color(QPalette::Mid));
    bar.setWidth(static_cast<int>(bar.width() * part));
    painter->fillRect(
        bar, option.palette.color(selected ? QPalette::HighlightedText : QPalette::Highlight));
}

QSize NowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(0, 4);
}

NowColumn::NowColumn(ListView* view, std::filesystem::path storePath)
    : QObject(view),
      m_view(view),
      m_storePath(std::move(storePath)),
      m_delegate(new NowDelegate(this)),
      m_tick(new QTimer(this)) {
    now = [] { return static_cast<guide::GuideTime>(std::time(nullptr)); };
    // Ended programmes give way and the bars move: the rows shown are asked again as needed.
    m_tick->setInterval(kNowTickMs);
    connect(m_tick, &QTimer::timeout, this, [this] { m_view->RowsModel()->ExtraColumnChanged(); });
    ListRowsModel* model = view->RowsModel();
    // Columns of the rows' own go before this one: the delegate follows it.
    connect(model, &QAbstractItemModel::columnsInserted, this, &NowColumn::PlaceDelegate);
    connect(model, &QAbstractItemModel::columnsRemoved, this, &NowColumn::PlaceDelegate);
    Reload();
}

NowColumn::~NowColumn() = default;

void NowColumn::SetPlaylists(std::function<std::vector<NamedPlaylist>()> playlists) {
    m_playlists = std::move(playlists);
    PlaylistsChanged();
}

void NowColumn::PlaylistsChanged() {
    m_addressesMade = false;
    m_byAddress.clear();
    m_read.clear();
    m_cache.clear();
    if (m_installed)
        m_view->RowsModel()->ExtraColumnChanged();
}

void NowColumn::Reload() {
    m_cache.clear();
    m_matcher.reset();
    std::error_code error;
    if (!m_store && std::filesystem::exists(m_storePath, error)) {
        std::string why;
        m_store = guide::GuideStore::Open(m_storePath, why);
    }
    const bool any = m_store && !m_store->Guides().empty();
    if (any) {
        std::vector<guide::GuideChannelNames> channels;
        for (auto& channel : m_store->Channels())
            channels.push_back({std::move(channel.id), std::move(channel.displayNames)});
        m_matcher.emplace(channels, HandGuideChannels());
        m_offsetHours = GuideOffsetHours();
    }
    Install(any);
    if (any)
        m_view->RowsModel()->ExtraColumnChanged();
    Q_EMIT Reloaded();
}

void NowColumn::Install(bool on) {
    if (on == m_installed)
        return;
    m_installed = on;
    ListRowsModel* model = m_view->RowsModel();
    if (!on) {
        m_tick->stop();
        model->SetExtraColumn({}, nullptr);
        return;
    }
    model->SetExtraColumn(tr("On Now"),
                          [this](const ListRow& row, int role) { return Cell(row, role); });
    PlaceDelegate();
    QHeaderView* header = m_view->header();
    const int column = model->ExtraColumnIndex();
    header->resizeSection(column, m_view->fontMetrics().averageCharWidth() * 24);
    // Beside the name, where it is seen without scrolling the list sideways.
    if (column > 1)
        header->moveSection(header->visualIndex(column), 1);
    m_tick->start();
}

void NowColumn::PlaceDelegate() {
    const int column = m_view->RowsModel()->ExtraColumnIndex();
    for (int i = 0; i < m_view->RowsModel()->columnCount(); ++i) {
        if (m_view->itemDelegateForColumn(i) == m_delegate && i != column)
            m_view->setItemDelegateForColumn(i, nullptr);
    }
    if (column >= 0)
        m_view->setItemDelegateForColumn(column, m_delegate);
}

QString NowColumn::ProgrammeLine(const ListRow& row, std::optional<double>* passed) {
    if (!m_store || !m_matcher)
        return {};
    const RowChannel channel = ChannelOf(row);
    const std::optional<guide::ChannelMatch> match = m_matcher->Match(channel.keys);
    if (!match)
        return {};
    const guide::GuideTime at = now();
    const std::vector<guide::NowAndNext> found = m_store->NowAndNextOf(
        {{match->guideChannel, guide::TimeShift(channel.tvgShift, m_offsetHours)}}, at);
    if (found.empty() || !found[0].now)
        return {};
    const auto minutes = (found[0].now->stop - at + 59) / 60;
    if (passed)
        *passed = ProgrammePassed(found[0].now->start, found[0].now->stop, at);
    return tr("%1 (%2 min left)").arg(NowTitle(*found[0].now)).arg(minutes);
}

std::vector<guide::StoredChannel> NowColumn::GuideChannels() {
    return m_installed && m_store ? m_store->Channels() : std::vector<guide::StoredChannel>{};
}

NowColumn::RowChannel NowColumn::ChannelOf(const ListRow& row) {
    if (!m_addressesMade && m_playlists) {
        m_addressesMade = true;
        m_read = m_playlists();
        for (const NamedPlaylist& named : m_read) {
            if (!named.playlist)
                continue;
            for (const PlaylistChannel& channel : named.playlist->channels)
                m_byAddress.emplace(channel.address, &channel);
        }
    }
    RowChannel found;
    found.keys.key = row.tag;
    const auto it = m_byAddress.find(row.tag);
    if (it == m_byAddress.end()) {
        found.keys.name = row.text;
        return found;
    }
    const PlaylistChannel& channel = *it->second;
    found.keys.tvgId = channel.tvgId;
    found.keys.tvgName = channel.tvgName;
    found.keys.name = channel.name;
    found.tvgShift = channel.tvgShift;
    return found;
}

bool NowColumn::HasAnswer(const ListRow& row) const {
    return m_cache.count(NowCacheKey(row)) > 0;
}

const NowColumn::Entry* NowColumn::Lookup(const ListRow& row) {
    const std::string key = NowCacheKey(row);
    const auto it = m_cache.find(key);
    if (it != m_cache.end() && now() < it->second.expires)
        return &it->second;
    if (m_pendingKeys.insert(key).second)
        m_pending.push_back(row);
    if (!m_batchQueued) {
        // Once for all the rows of one paint.
        m_batchQueued = true;
        QMetaObject::invokeMethod(this, &NowColumn::AskBatch, Qt::QueuedConnection);
    }
    return it != m_cache.end() ? &it->second : nullptr;
}

void NowColumn::AskBatch() {
    m_batchQueued = false;
    std::vector<ListRow> rows;
    rows.swap(m_pending);
    m_pendingKeys.clear();
    if (!m_store || !m_matcher || rows.empty())
        return;
    if (m_cache.size() + rows.size() > kNowCacheRows)
        m_cache.clear();
    const guide::GuideTime at = now();
    std::vector<guide::ShiftedChannel> asked;
    std::vector<std::size_t> askedRows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RowChannel channel = ChannelOf(rows[i]);
        const std::optional<guide::ChannelMatch> match = m_matcher->Match(channel.keys);
        if (!match) {
            m_cache[NowCacheKey(rows[i])] = Entry{{}, at + kNowRetrySeconds};
            continue;
        }
        asked.push_back({match->guideChannel, guide::TimeShift(channel.tvgShift, m_offsetHours)});
        askedRows.push_back(i);
    }
    m_rowsAsked += asked.size();
    const std::vector<guide::NowAndNext> found =
        asked.empty() ? std::vector<guide::NowAndNext>{} : m_store->NowAndNextOf(asked, at);
    for (std::size_t k = 0; k < found.size(); ++k) {
        Entry entry{found[k], at + kNowRetrySeconds};
        if (entry.programmes.now)
            entry.expires = entry.programmes.now->stop;
        else if (entry.programmes.next)
            entry.expires = std::min(entry.expires, entry.programmes.next->start);
        m_cache[NowCacheKey(rows[askedRows[k]])] = std::move(entry);
    }
    m_view->RowsModel()->ExtraColumnChanged();
    Q_EMIT Answered();
}

QVariant NowColumn::Cell(const ListRow& row, int role) {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != ProgressRole)
        return {};
    const Entry* entry = Lookup(row);
    if (!entry)
        return {};
    const guide::NowAndNext& found = entry->programmes;
    if (role == Qt::DisplayRole)
        return found.now ? NowTitle(*found.now) : QVariant();
    if (role == ProgressRole) {
        const std::optional<double> passed =
            found.now ? ProgrammePassed(found.now->start, found.now->stop, now()) : std::nullopt;
        return passed ? QVariant(*passed) : QVariant();
    }
    QStringList parts;
    if (found.now) {
        parts << tr("%1–%2 %3")
                     .arg(NowClock(found.now->start), NowClock(found.now->stop),
                          NowTitle(*found.now));
    }
    if (found.next) {
        parts << tr("Next: %1 %2").arg(NowClock(found.next->start), NowTitle(*found.next));
    }
    return PlainToolTip(parts.join(QStringLiteral(" · ")), ToolTipLines::Wrapped);
}

void ShowProgrammeInPlayer(Form1* form, NowColumn* column) {
    auto playing = std::make_shared<QString>();
    const auto show = [form, column, playing] {
        MediaPlayer* player = form->WindowsMediaPlayer1;
        if (!player)
            return;
        const std::string url = playing->toStdString();
        const ListRows& rows = form->ListView1->Rows();
        // The selected row first: it is mostly the one that plays.
        std::optional<int> position = rows.SelectedPosition();
        if (!position || rows.At(*position).tag != url) {
            position.reset();
            for (int i = 1; i <= rows.Count() && !url.empty(); ++i) {
                if (rows.At(i).tag == url) {
                    position = i;
                    break;
                }
            }
        }
        std::optional<double> passed;
        const QString line =
            position ? column->ProgrammeLine(rows.At(*position), &passed) : QString();
        player->setProgramme(line, passed);
    };
    QObject::connect(form, &Form1::PlayerUrlSet, column, [playing, show](const QString& url) {
        *playing = url;
        show();
    });
    QObject::connect(column, &NowColumn::Reloaded, column, show);
    // The time left goes down, and the next programme follows.
    auto* tick = new QTimer(column);
    tick->setInterval(kNowTickMs);
    QObject::connect(tick, &QTimer::timeout, column, show);
    tick->start();
}

}  // namespace quorvel
