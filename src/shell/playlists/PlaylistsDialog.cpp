#include "shell/playlists/PlaylistsDialog.h"

#include "playback/AddressPolicy.h"
#include "playlists/PlaylistFile.h"
#include "playlists/PlaylistStore.h"
#include "shell/playlists/PlaylistsPanel.h"
#include "shell/widgets/PlainText.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quorvel {
namespace {

constexpr int kRole = Qt::UserRole + 1;

}  // namespace

PlaylistsDialog::PlaylistsDialog(PlaylistsPanel& panel, QWidget* parent)
    : QDialog(parent), m_panel(panel) {
    setWindowTitle(tr("Playlists"));
    lstPlaylists = new QListWidget(this);
    lstPlaylists->setObjectName(QStringLiteral("lstPlaylists"));
    lstPlaylists->setMinimumSize(420, 220);
    const auto makeButton = [this](QPushButton*& button, const char* name, const QString& text) {
        button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(name));
    };
    makeButton(cmdAddAddress, "cmdAddAddress", tr("Add Address..."));
    makeButton(cmdAddFile, "cmdAddFile", tr("Add File..."));
    makeButton(cmdRename, "cmdRename", tr("Rename..."));
    makeButton(cmdRemove, "cmdRemove", tr("Remove"));
    makeButton(cmdRefresh, "cmdRefresh", tr("Refresh Now"));
    spnHours = new QSpinBox(this);
    spnHours->setObjectName(QStringLiteral("spnHours"));
    spnHours->setRange(1, 24 * 30);
    spnHours->setSuffix(tr(" h"));
    auto* hoursLabel = new QLabel(tr("Refresh every:"), this);
    hoursLabel->setBuddy(spnHours);

    auto* side = new QVBoxLayout;
    for (QPushButton* button : {cmdAddAddress, cmdAddFile, cmdRename, cmdRemove, cmdRefresh})
        side->addWidget(button);
    side->addWidget(hoursLabel);
    side->addWidget(spnHours);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(lstPlaylists, 1);
    top->addLayout(side);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);

    askAddress = [this] {
        return QInputDialog::getText(this, tr("Playlists"), tr("Address of the playlist:"))
            .trimmed();
    };
    askFile = [this] {
        return QFileDialog::getOpenFileName(this, tr("Playlists"), {},
                                            tr("Playlists (*.m3u *.m3u8 *.pls);;All files (*)"));
    };
    askName = [this](const QString& current) {
        return QInputDialog::getText(this, tr("Playlists"), tr("Name:"), QLineEdit::Normal, current)
            .trimmed();
    };

    connect(cmdAddAddress, &QPushButton::clicked, this, [this] { AddSource(askAddress()); });
    connect(cmdAddFile, &QPushButton::clicked, this, [this] { AddSource(askFile()); });
    connect(cmdRename, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = lstPlaylists->currentItem())
            RenameSelected(askName(item->text()));
    });
    connect(cmdRemove, &QPushButton::clicked, this, &PlaylistsDialog::RemoveSelected);
    connect(cmdRefresh, &QPushButton::clicked, this, &PlaylistsDialog::RefreshSelected);
    connect(spnHours, &QSpinBox::editingFinished, this, [this] { SetHours(spnHours->value()); });
    connect(lstPlaylists, &QListWidget::currentRowChanged, this, [this] { ShowSelected(); });
    Fill();
}

void PlaylistsDialog::Fill(std::uint64_t select) {
    lstPlaylists->clear();
    for (const StoredPlaylist& stored : m_panel.Store().Playlists()) {
        auto* item = new QListWidgetItem(CappedText(QString::fromStdString(stored.name)));
        item->setData(kRole, QVariant::fromValue<qulonglong>(stored.id));
        item->setToolTip(PlainToolTip(QString::fromStdString(stored.source)));
        lstPlaylists->addItem(item);
        if (stored.id == select)
            lstPlaylists->setCurrentItem(item);
    }
    if (!lstPlaylists->currentItem() && lstPlaylists->count() > 0)
        lstPlaylists->setCurrentRow(0);
    ShowSelected();
}

std::uint64_t PlaylistsDialog::SelectedId() const {
    const QListWidgetItem* item = lstPlaylists->currentItem();
    return item ? item->data(kRole).toULongLong() : 0;
}

void PlaylistsDialog::ShowSelected() {
    const StoredPlaylist* stored = m_panel.Store().Find(SelectedId());
    for (QWidget* control :
         std::initializer_list<QWidget*>{cmdRename, cmdRemove, cmdRefresh, spnHours})
        control->setEnabled(stored != nullptr);
    if (stored)
        spnHours->setValue(
            static_cast<int>(std::max<std::int64_t>(1, stored->refreshSeconds / 3600)));
}

void PlaylistsDialog::Report(bool ok, const std::string& error) {
    if (!ok && m_panel.tell)
        m_panel.tell(
            tr("The playlists could not be changed: %1").arg(QString::fromStdString(error)));
}

void PlaylistsDialog::AddSource(const QString& given) {
    const QString source = given.trimmed();
    if (source.isEmpty())
        return;
    std::uint64_t id = 0;
    std::string error;
    const std::string text = source.toStdString();
    // A file's own title names it; an address is named by its file name until renamed.
    std::string name = SchemeOf(text).empty() ? PlaylistFileTitle(text) : std::string();
    if (name.empty())
        name = DefaultPlaylistName(text);
    const bool ok = m_panel.Store().Add(name, text, id, error);
    Report(ok, error);
    Fill(id);
    if (ok) {
        const StoredPlaylist* stored = m_panel.Store().Find(id);
        if (stored && stored->IsAddress())
            m_panel.RefreshNow(id);
        else
            m_panel.Reload();
    }
}

void PlaylistsDialog::RenameSelected(const QString& name) {
    const std::uint64_t id = SelectedId();
    if (id == 0 || name.trimmed().isEmpty())
        return;
    std::string error;
    Report(m_panel.Store().Rename(id, name.trimmed().toStdString(), error), error);
    Fill(id);
    m_panel.Reload();
}

void PlaylistsDialog::RemoveSelected() {
    const std::uint64_t id = SelectedId();
    if (id == 0)
        return;
    std::string error;
    Report(m_panel.Store().Remove(id, error), error);
    Fill();
    m_panel.Reload();
}

void PlaylistsDialog::RefreshSelected() {
    if (const std::uint64_t id = SelectedId())
        m_panel.RefreshNow(id);
}

void PlaylistsDialog::SetHours(int hours) {
    const std::uint64_t id = SelectedId();
    if (id == 0)
        return;
    std::string error;
    Report(m_panel.Store().SetRefreshSeconds(id, std::int64_t{hours} * 3600, error), error);
}

}  // namespace quorvel
