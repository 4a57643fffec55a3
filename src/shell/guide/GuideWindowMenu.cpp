#include "shell/guide/GuideWindowMenu.h"

#include "catalogue/CatalogueEditing.h"
#include "guide/ChannelMatch.h"
#include "shell/Form1.h"
#include "shell/guide/GuideActions.h"
#include "shell/guide/GuideChoices.h"
#include "shell/guide/GuideWindow.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/playlists/PlaylistsPanel.h"
#include "shell/schedule/ScheduleMenu.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/ProgramTranslator.h"
#include "shell/widgets/RowFilterModel.h"

#include <QAction>
#include <QDateTime>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <string>
#include <unordered_map>

namespace quorvel {

GuideWindowMenu::GuideWindowMenu(Form1* form, PlaylistsPanel* playlists, ScheduleMenu* schedule)
    : QObject(form), m_form(form), m_playlists(playlists), m_schedule(schedule) {
    mnuGuide = new QMenu(form);
    mnuGuide->setObjectName(QStringLiteral("mnuGuideMenu"));
    QMenuBar* bar = form->MenuBar();
    if (form->mnuHelp)
        bar->insertMenu(form->mnuHelp->menuAction(), mnuGuide);
    else
        bar->addMenu(mnuGuide);
    mnuProgrammeGuide = mnuGuide->addAction(QString());
    mnuProgrammeGuide->setObjectName(QStringLiteral("mnuProgrammeGuide"));
    // Typing in a text box keeps its G: a box takes the letters before any shortcut.
    mnuProgrammeGuide->setShortcut(QKeySequence(Qt::Key_G));
    form->addAction(mnuProgrammeGuide);
    connect(mnuProgrammeGuide, &QAction::triggered, this,
            &GuideWindowMenu::mnuProgrammeGuide_Click);
    RowFilterModel* shown = form->ListView1->FilterModel();
    connect(shown, &QAbstractItemModel::modelReset, this, &GuideWindowMenu::ListChanged);
    connect(shown, &QAbstractItemModel::layoutChanged, this, &GuideWindowMenu::ListChanged);
    connect(shown, &QAbstractItemModel::rowsInserted, this, &GuideWindowMenu::ListChanged);
    connect(shown, &QAbstractItemModel::rowsRemoved, this, &GuideWindowMenu::ListChanged);
    KeepTranslated(this, [this] { RetranslateUi(); });
}

GuideWindowMenu::~GuideWindowMenu() {
    delete m_window;
}

GuideWindow* GuideWindowMenu::Window() const {
    return m_window;
}

void GuideWindowMenu::RetranslateUi() {
    mnuGuide->setTitle(tr("Guide"));
    mnuProgrammeGuide->setText(tr("Show Guide"));
}

std::vector<GuideChannelRow> GuideWindowMenu::ShownRows() {
    const RowFilterModel* shown = m_form->ListView1->FilterModel();
    const int count = shown->rowCount();
    std::vector<int> sources;
    sources.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        sources.push_back(shown->mapToSource(shown->index(i, 0)).row());
    return RowsOf(sources);
}

std::vector<GuideChannelRow> GuideWindowMenu::RowsOf(const std::vector<int>& sources) {
    std::vector<GuideChannelRow> rows;
    if (!m_store)
        return rows;
    std::vector<guide::GuideChannelNames> names;
    for (guide::StoredChannel& channel : m_store->Channels())
        names.push_back({std::move(channel.id), std::move(channel.displayNames)});
    // The guide channels chosen by hand win, as in the channel list.
    const guide::ChannelMatcher matcher(names, HandGuideChannels());
    const double offsetHours = GuideOffsetHours();
    // What the playlists say of their channels, by address.
    std::vector<NamedPlaylist> playlists;
    std::unordered_map<std::string, const PlaylistChannel*> byAddress;
    if (m_playlists && m_playlists->Shown()) {
        playlists = m_playlists->ReadPlaylists();
        for (const NamedPlaylist& named : playlists) {
            for (const PlaylistChannel& channel : named.playlist->channels)
                byAddress.emplace(channel.address, &channel);
        }
    }
    const ListRows& list = m_form->ListView1->Rows();
    rows.reserve(sources.size());
    for (const int source : sources) {
        if (source < 0 || source >= list.Count())
            continue;
        const ListRow& row = list.At(source + 1);
        GuideChannelRow channel;
        channel.address = row.tag;
        guide::ChannelKeys keys;
        keys.key = row.tag;
        if (const auto found = byAddress.find(row.tag); found != byAddress.end()) {
            const PlaylistChannel& listed = *found->second;
            channel.name = listed.name;
            keys.tvgId = listed.tvgId;
            keys.tvgName = listed.tvgName;
            channel.shift = guide::TimeShift(listed.tvgShift, offsetHours);
            channel.catchup = {listed.address, listed.catchup, listed.catchupSource,
                               listed.catchupDays, listed.timeshift};
            channel.userAgent = listed.userAgent;
            channel.referrer = listed.referrer;
        } else {
            channel.name = RowChannelFields(row).name;
            channel.shift = guide::TimeShift({}, offsetHours);
        }
        keys.name = channel.name;
        if (const auto match = matcher.Match(keys))
            channel.guideId = match->guideChannel;
        rows.push_back(std::move(channel));
    }
    return rows;
}

bool GuideWindowMenu::OpenStore() {
    if (m_store)
        return true;
    std::string error;
    m_store = guide::GuideStore::Open(guide::DefaultGuideStorePath(), error);
    if (!m_store) {
        ShowApplicationMessage(m_form, tr("The programme guide could not be opened.") +
                                           QLatin1Char('\n') + QString::fromStdString(error));
        return false;
    }
    return true;
}

void GuideWindowMenu::AddRowActions(QMenu& menu, int source) {
    if (!OpenStore())
        return;
    const std::vector<GuideChannelRow> rows = RowsOf({source});
    if (rows.empty() || rows[0].guideId.empty())
        return;
    const GuideChannelRow& channel = rows[0];
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    const std::vector<guide::NowAndNext> found =
        m_store->NowAndNextOf({{channel.guideId, channel.shift}}, now);
    if (found.empty())
        return;
    AddNowNextActions(
        menu, channel, found[0], m_schedule ? &m_schedule->Runner() : nullptr, now, m_form,
        ShowApplicationMessage,
        [this](const GuideChannelRow& row, const QString& address) { Play(row, address); },
        // What was planned shows for a while in the player's bar.
        [this](const QString& status) {
            if (MediaPlayer* player = m_form->WindowsMediaPlayer1)
                player->controlBar()->ShowMessage(status);
        });
}

void GuideWindowMenu::mnuProgrammeGuide_Click() {
    if (!OpenStore())
        return;
    if (!m_window) {
        m_window =
            new GuideWindow(m_store.get(), m_schedule ? &m_schedule->Runner() : nullptr, m_form);
        connect(m_window, &GuideWindow::PlayChannel, this,
                [this](const GuideChannelRow& channel) { Play(channel, {}); });
        connect(m_window, &GuideWindow::PlayAddress, this, &GuideWindowMenu::Play);
    }
    m_window->SetRows(ShownRows());
    m_window->ShowDay(0);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    m_window->grid->setFocus();
}

void GuideWindowMenu::Refresh() {
    ListChanged();
}

void GuideWindowMenu::ListChanged() {
    if (!m_window || !m_window->isVisible() || m_refillQueued)
        return;
    m_refillQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_refillQueued = false;
        if (m_window && m_window->isVisible())
            m_window->SetRows(ShownRows());
    });
}

void GuideWindowMenu::Play(const GuideChannelRow& channel, const QString& address) {
    if (address.isEmpty()) {
        m_form->SetPlayerUrl(QString::fromStdString(channel.address),
                             QString::fromStdString(channel.name));
        return;
    }
    // A programme from its start: the channel's own headers go with its archive.
    if (MediaPlayer* player = m_form->WindowsMediaPlayer1) {
        player->setChannelName(QString::fromStdString(channel.name));
        player->setUrlWithHeaders(address, channel.userAgent, channel.referrer);
    }
}

}  // namespace quorvel
