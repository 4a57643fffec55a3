#include "shell/playlists/PlaylistsPanel.h"

#include "appearance/ProductInfo.h"
#include "files/TextCase.h"
#include "net/HttpRequest.h"
#include "playback/AddressPolicy.h"
#include "playback/PlaylistFetch.h"
#include "playlists/PlaylistBrowsing.h"
#include "playlists/PlaylistFile.h"
#include "playlists/PlaylistReader.h"
#include "settings/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/forms/CaptionFit.h"
#include "shell/playlists/OpenAddressDialog.h"
#include "shell/playlists/PlaylistsDialog.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"
#include "shell/widgets/Twips.h"
#include "threads/ThreadEdge.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>
#include <QThread>
#include <QToolButton>
#include <QUrl>

#include <chrono>

namespace quorvel {
namespace {

constexpr char kSection[] = "Playlists";
constexpr char kRecentKey[] = "RecentAddresses";
constexpr int kRecentCount = 10;
// Twips the category bar's later buttons move right to make room.
constexpr int kButtonStep = 1320;

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

const std::string& AppName() {
    return Branding().ProgramName;
}

// A playlist read from a file or fetched from an address, its addresses made absolute.
struct ReadResult {
    std::shared_ptr<Playlist> playlist;
    std::string error;
};

ReadResult ReadSource(const std::string& source) {
    ReadResult result;
    std::string bytes;
    std::string base = source;
    const std::string scheme = ToLowerAscii(SchemeOf(source));
    if (scheme == "http" || scheme == "https") {
        HttpRequest request;
        request.url = source;
        request.maxBytes = kMaxPlaylistBytes;
        request.connectTimeoutMs = 15'000;
        request.stallTimeoutSeconds = 30;
        request.deadlineMs = 2 * 60 * 1000;
        request.maxRedirects = 5;
        HttpResponse response = Fetch(request);
        if (!response.Ok()) {
            result.error = PlaylistFetchError(response, request);
            return result;
        }
        bytes = std::move(response.body);
        if (!response.finalUrl.empty())
            base = response.finalUrl;
    } else if (!ReadPlaylistFile(source, bytes, result.error)) {
        return result;
    }
    auto playlist = std::make_shared<Playlist>(ReadPlaylist(bytes, base));
    if (playlist->kind == PlaylistKind::NotAPlaylist || playlist->channels.empty()) {
        result.error = "not a playlist";
        return result;
    }
    ResolveChannelAddresses(*playlist, base);
    result.playlist = std::move(playlist);
    return result;
}

}  // namespace

PlaylistsPanel::PlaylistsPanel(Form1* form, std::filesystem::path folder)
    : QObject(form), m_form(form), m_store(std::move(folder)) {
    // The window's hooks hold the panel weakly: either may go first (the panel goes with the
    // window it belongs to, and never touches it from its destructor).
    const QPointer<PlaylistsPanel> self(this);
    // The category bar: the new button takes the place after "My Files".
    QWidget* bar = form->cmdFiles->parentWidget();
    cmdPlaylists = new QToolButton(bar);
    cmdPlaylists->setObjectName(QStringLiteral("cmdPlaylists"));
    cmdPlaylists->setFont(form->cmdFiles->font());
    cmdPlaylists->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    cmdPlaylists->setIcon(form->style()->standardIcon(QStyle::SP_FileDialogListView));
    cmdPlaylists->setIconSize(form->cmdFiles->iconSize());
    const QRect files = form->cmdFiles->geometry();
    cmdPlaylists->setGeometry(files.translated(TwipsToPixels(kButtonStep), 0));
    for (const char* name : {"cmdSports", "cmdExtras", "cmdXXX", "cmdWebsite"}) {
        if (const FormControl* control = form->Control(QString::fromLatin1(name)))
            control->Move(control->Left() + kButtonStep, control->Top(), control->Width(),
                          control->Height());
    }

    // The picker stands where the type box's label stands while the playlists show.
    cboPlaylist = new QComboBox(form->Frame1);
    cboPlaylist->setObjectName(QStringLiteral("cboPlaylist"));
    MakeListChoiceCombo(*cboPlaylist);
    cboPlaylist->setGeometry(TwipsToPixels(180), TwipsToPixels(150), TwipsToPixels(3315),
                             TwipsToPixels(315));
    cboPlaylist->hide();

    mnuOpenAddress = new QAction(this);
    mnuOpenAddress->setObjectName(QStringLiteral("mnuOpenAddress"));
    mnuOpenAddress->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuOpenFile = new QAction(this);
    mnuOpenFile->setObjectName(QStringLiteral("mnuOpenFile"));
    mnuOpenFile->setShortcut(QKeySequence::Open);
    mnuPlaylists = new QAction(this);
    mnuPlaylists->setObjectName(QStringLiteral("mnuPlaylists"));
    QAction* first = form->mnuFile->actions().value(0);
    form->mnuFile->insertActions(first, {mnuOpenAddress, mnuOpenFile, mnuPlaylists});
    form->mnuFile->insertSeparator(first);
    mnuCatPlaylists = new QAction(this);
    mnuCatPlaylists->setObjectName(QStringLiteral("mnuCatPlaylists"));
    form->mnuCat->addAction(mnuCatPlaylists);
    KeepTranslated(this, [this] { RetranslateUi(); });

    connect(cmdPlaylists, &QToolButton::clicked, this, &PlaylistsPanel::cmdPlaylists_Click);
    connect(mnuCatPlaylists, &QAction::triggered, this, &PlaylistsPanel::cmdPlaylists_Click);
    connect(mnuOpenAddress, &QAction::triggered, this, &PlaylistsPanel::mnuOpenAddress_Click);
    connect(mnuOpenFile, &QAction::triggered, this, &PlaylistsPanel::mnuOpenFile_Click);
    connect(mnuPlaylists, &QAction::triggered, this, &PlaylistsPanel::mnuPlaylists_Click);
    connect(cboPlaylist, &QComboBox::activated, this, [this] { PlaylistChosen(); });
    // Any other category takes the list and the type box back.
    for (QToolButton* button :
         {form->cmdTV, form->cmdRadio, form->cmdVideo, form->cmdFavorites, form->cmdFiles})
        connect(button, &QToolButton::clicked, this, &PlaylistsPanel::Leave);
    for (QAction* item : form->mnuCatItem)
        connect(item, &QAction::triggered, this, &PlaylistsPanel::Leave);

    form->RequestHeadersFor = [self](const QString& url) -> std::pair<std::string, std::string> {
        if (!self)
            return {};
        const auto found = self->m_headers.find(url.toStdString());
        return found == self->m_headers.end() ? std::pair<std::string, std::string>{}
                                              : found->second;
    };

    askAddress = [this] {
        OpenAddressDialog dialog(RecentAddresses(), m_form);
        return dialog.exec() == QDialog::Accepted ? dialog.Address() : QString();
    };
    askFile = [this] {
        return QFileDialog::getOpenFileName(
            m_form, tr("Open File"), {},
            tr("Media and playlists (*.m3u *.m3u8 *.pls *.mp3 *.mp4 *.mkv *.ts *.aac *.ogg *.wav "
               "*.wma *.wmv *.flac);;All files (*)"));
    };
    tell = [this](const QString& message) { m_form->Message(message); };

    std::string error;
    if (!m_store.Load(error))
        tell(QString::fromStdString(error));
}

PlaylistsPanel::~PlaylistsPanel() {
    for (QThread* thread : {m_loading.data(), m_refreshing.data()}) {
        if (thread)
            thread->wait();
    }
}

void PlaylistsPanel::RetranslateUi() {
    cmdPlaylists->setText(tr("Playlists"));
    FitCaptionToWidth(cmdPlaylists);
    mnuOpenAddress->setText(tr("Open Address..."));
    mnuOpenFile->setText(tr("Open File..."));
    mnuPlaylists->setText(tr("Playlists..."));
    mnuCatPlaylists->setText(tr("Playlists"));
    if (cboPlaylist->count() > 0)
        cboPlaylist->setItemText(0, tr("All Playlists"));
}

void PlaylistsPanel::cmdPlaylists_Click() {
    for (QGroupBox* frame : {m_form->Frame1, m_form->Frame3, m_form->Frame4})
        frame->setVisible(frame == m_form->Frame1);
    m_shown = true;
    m_form->lblCountry->hide();
    cboPlaylist->show();
    m_form->Combo1Override = [self = QPointer<PlaylistsPanel>(this)] {
        if (self)
            self->TypeChosen();
    };
    // The playlist chosen stays chosen when the list of them is read again: a kept one by
    // its id, one opened for this run by itself.
    const auto keyOf = [](const Entry& entry) {
        return entry.id != 0
                   ? QStringLiteral("s%1").arg(entry.id)
                   : QStringLiteral("t%1").arg(reinterpret_cast<quintptr>(entry.playlist.get()));
    };
    const QSignalBlocker blocker(cboPlaylist);
    constexpr int kKeyRole = Qt::UserRole + 1;
    const QString chosen = cboPlaylist->currentData(kKeyRole).toString();
    cboPlaylist->clear();
    cboPlaylist->addItem(tr("All Playlists"));
    for (const Entry& entry : m_entries) {
        AddCappedItem(*cboPlaylist, QString::fromStdString(entry.name));
        cboPlaylist->setItemData(cboPlaylist->count() - 1, keyOf(entry), kKeyRole);
    }
    cboPlaylist->setCurrentIndex(
        std::max(0, chosen.isEmpty() ? 0 : cboPlaylist->findData(chosen, kKeyRole)));
    FillTypes();
    FillRows();
    // The kept playlists are read the first time they are shown, and again only when they
    // change: an empty list read again would read again for ever.
    if (!m_readOnce)
        Reload();
}

void PlaylistsPanel::Leave() {
    if (!m_shown)
        return;
    m_shown = false;
    cboPlaylist->hide();
    m_form->lblCountry->show();
    m_form->Combo1Override = nullptr;
}

void PlaylistsPanel::PlaylistChosen() {
    FillTypes();
    FillRows();
}

void PlaylistsPanel::TypeChosen() {
    FillRows();
}

void PlaylistsPanel::FillTypes() {
    std::vector<const Playlist*> chosen;
    const int index = cboPlaylist->currentIndex();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (index <= 0 || static_cast<std::size_t>(index - 1) == i)
            chosen.push_back(m_entries[i].playlist.get());
    }
    QComboBox* types = m_form->Combo1;
    const QSignalBlocker blocker(types);
    types->clear();
    for (const std::string& type : PlaylistTypeChoices(chosen))
        AddCappedItem(*types, QString::fromStdString(type));
    types->setCurrentIndex(0);
}

void PlaylistsPanel::FillRows() {
    const int index = cboPlaylist->currentIndex();
    const std::string type = ChosenText(*m_form->Combo1).toStdString();
    // Reserved once: a list growing by doubling holds its old and new storage at once.
    std::size_t most = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (index <= 0 || static_cast<std::size_t>(index - 1) == i)
            most += m_entries[i].playlist->channels.size();
    }
    std::vector<ListRow> rows;
    rows.reserve(most);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (index > 0 && static_cast<std::size_t>(index - 1) != i)
            continue;
        for (const PlaylistChannel& channel : m_entries[i].playlist->channels) {
            if (type.empty() || ChannelHasType(channel, type))
                rows.push_back(PlaylistChannelRow(channel, m_entries[i].name));
        }
    }
    ListRows& list = m_form->ListView1->Rows();
    list.Clear();
    list.AddRows(std::move(rows));
}

void PlaylistsPanel::Remember(const std::shared_ptr<const Playlist>& playlist) {
    for (const PlaylistChannel& channel : playlist->channels) {
        if (!channel.userAgent.empty() || !channel.referrer.empty())
            m_headers[channel.address] = {channel.userAgent, channel.referrer};
    }
}

void PlaylistsPanel::Reload() {
    m_readOnce = true;
    if (m_loading) {
        m_reloadAgain = true;
        return;
    }
    auto read = std::make_shared<std::vector<Entry>>();
    auto errors = std::make_shared<std::vector<std::string>>();
    const std::filesystem::path folder = m_store.Folder();
    QThread* thread = QThread::create([read, errors, folder] {
        RunAtThreadEdge(
            [&] {
                PlaylistStore store(folder);
                std::string error;
                if (!store.Load(error)) {
                    errors->push_back(error);
                    return;
                }
                for (const StoredPlaylist& stored : store.Playlists()) {
                    auto playlist = std::make_shared<Playlist>();
                    // A playlist not fetched yet, or whose file went, has no channels.
                    if (store.ReadChannels(stored, *playlist, error))
                        ResolveChannelAddresses(*playlist, stored.source);
                    else
                        playlist->channels.clear();
                    read->push_back({stored.id, stored.name, std::move(playlist)});
                }
            },
            [&](const std::string& reason) { errors->push_back(reason); });
    });
    m_loading = thread;
    connect(thread, &QThread::finished, this, [this, thread, read, errors] {
        thread->deleteLater();
        m_loading = nullptr;
        std::string error;
        m_store.Load(error);
        std::vector<Entry> entries = std::move(*read);
        for (Entry& entry : m_entries) {
            if (entry.id == 0)
                entries.push_back(std::move(entry));
        }
        m_entries = std::move(entries);
        m_headers.clear();
        for (const Entry& entry : m_entries)
            Remember(entry.playlist);
        if (!errors->empty())
            tell(QString::fromStdString(errors->front()));
        else if (m_shown)
            cmdPlaylists_Click();
        Q_EMIT Loaded();
        if (m_reloadAgain) {
            m_reloadAgain = false;
            Reload();
        }
    });
    thread->start();
}

std::vector<NamedPlaylist> PlaylistsPanel::ReadPlaylists() const {
    std::vector<NamedPlaylist> read;
    for (const Entry& entry : m_entries)
        read.push_back({entry.name, entry.playlist});
    return read;
}

QStringList PlaylistsPanel::RecentAddresses() const {
    const QString stored = QString::fromStdString(GetSetting(AppName(), kSection, kRecentKey, ""));
    return stored.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void PlaylistsPanel::AddRecentAddress(const QString& address) {
    QStringList recent = RecentAddresses();
    recent.removeAll(address);
    recent.prepend(address);
    while (recent.size() > kRecentCount)
        recent.removeLast();
    SaveSetting(AppName(), kSection, kRecentKey, recent.join(QLatin1Char('\n')).toStdString());
}

void PlaylistsPanel::mnuOpenAddress_Click() {
    const QString address = askAddress().trimmed();
    if (address.isEmpty())
        return;
    AddRecentAddress(address);
    Open(address);
}

void PlaylistsPanel::mnuOpenFile_Click() {
    const QString file = askFile();
    if (!file.isEmpty())
        Open(file);
}

void PlaylistsPanel::mnuPlaylists_Click() {
    PlaylistsDialog dialog(*this, m_form);
    dialog.exec();
}

void PlaylistsPanel::Open(const QString& given) {
    QString target = given.trimmed();
    if (target.isEmpty())
        return;
    if (target.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        target = QUrl(target).toLocalFile();
    if (NamesPlaylist(target.toStdString())) {
        OpenPlaylist(target);
        return;
    }
    // Everything else goes to the player, whose address check decides what may open.
    m_form->SetPlayerUrl(target);
}

void PlaylistsPanel::OpenPlaylist(const QString& source) {
    auto result = std::make_shared<ReadResult>();
    const std::string path = source.toStdString();
    QThread* thread = QThread::create([result, path] {
        RunAtThreadEdge([&] { *result = ReadSource(path); },
                        [&](const std::string& reason) { result->error = reason; });
    });
    connect(thread, &QThread::finished, this, [this, thread, result, path, source] {
        thread->deleteLater();
        if (!result->playlist) {
            tell(tr("The playlist %1 could not be opened: %2")
                     .arg(source, QString::fromStdString(result->error)));
            Q_EMIT Opened(-1);
            return;
        }
        std::shared_ptr<const Playlist> playlist = result->playlist;
        m_entries.push_back(
            {0, playlist->title.empty() ? DefaultPlaylistName(path) : playlist->title, playlist});
        Remember(playlist);
        cboPlaylist->setCurrentIndex(-1);
        cmdPlaylists_Click();
        cboPlaylist->setCurrentIndex(static_cast<int>(m_entries.size()));
        PlaylistChosen();
        Play(playlist->channels.front());
        Q_EMIT Opened(static_cast<int>(playlist->channels.size()));
    });
    thread->start();
}

void PlaylistsPanel::Play(const PlaylistChannel& channel) {
    m_form->SetPlayerUrl(QString::fromStdString(channel.address),
                         QString::fromStdString(channel.name));
}

void PlaylistsPanel::RefreshDue() {
    const std::int64_t now = Now();
    for (const StoredPlaylist& stored : m_store.Playlists()) {
        if (stored.IsAddress() && PlaylistStore::RefreshDue(stored, now))
            m_dueQueue.push_back(stored.id);
    }
    if (!m_dueQueue.empty() && !m_refreshing) {
        const std::uint64_t id = m_dueQueue.front();
        m_dueQueue.erase(m_dueQueue.begin());
        RefreshNow(id);
    }
}

void PlaylistsPanel::RefreshNow(std::uint64_t id) {
    if (m_refreshing) {
        m_dueQueue.push_back(id);
        return;
    }
    auto outcome = std::make_shared<RefreshOutcome>();
    const std::filesystem::path folder = m_store.Folder();
    QThread* thread = QThread::create([outcome, folder, id] {
        RunAtThreadEdge(
            [&] {
                // A store of its own: the window's keeps being read meanwhile.
                PlaylistStore store(folder);
                if (!store.Load(outcome->detail))
                    return;
                *outcome = RefreshPlaylist(store, id, Now());
            },
            [&](const std::string& reason) { outcome->detail = reason; });
    });
    m_refreshing = thread;
    connect(thread, &QThread::finished, this, [this, thread, outcome, id] {
        thread->deleteLater();
        m_refreshing = nullptr;
        const StoredPlaylist* stored = m_store.Find(id);
        const QString name = stored ? QString::fromStdString(stored->name) : QString();
        switch (outcome->result) {
            case RefreshResult::Updated:
                Reload();
                break;
            case RefreshResult::NotModified:
                break;
            case RefreshResult::Failed:
                tell(tr("The playlist \"%1\" could not be refreshed (%2). Its last good copy "
                        "stays in use.")
                         .arg(name, QString::fromStdString(outcome->detail)));
                break;
            case RefreshResult::NotAPlaylist:
                tell(tr("The playlist \"%1\" was not refreshed: the answer is not a playlist. "
                        "Its last good copy stays in use.")
                         .arg(name));
                break;
        }
        std::string error;
        m_store.Load(error);
        Q_EMIT RefreshFinished(id, static_cast<int>(outcome->result));
        if (!m_dueQueue.empty()) {
            const std::uint64_t next = m_dueQueue.front();
            m_dueQueue.erase(m_dueQueue.begin());
            RefreshNow(next);
        }
    });
    thread->start();
}

}  // namespace quorvel
