// Channel, favorite and file clicks, the local-files lists and the editing panel's close box.
#include "shell/Form1.h"

#include "appearance/ProductInfo.h"
#include "catalogue/CatalogueEditing.h"
#include "playback/LocalMediaFolder.h"
#include "settings/SettingsStore.h"
#include "shell/player/DirListBox.h"
#include "shell/player/DriveListBox.h"
#include "shell/player/FileListBox.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>

namespace quorvel {

void Form1::ListView1_ItemClick() {
    const ListRows& rows = ListView1->Rows();
    const std::optional<int> selected = rows.SelectedPosition();
    if (!selected)
        return;
    const ListRow& row = rows.At(*selected);
    if (EditMode) {
        // By field, so that an imported row shows its URL in the URL box too.
        const ChannelFields fields = RowChannelFields(row);
        txtEditName->setText(QString::fromStdString(fields.name));
        cmbEditCateogy->setEditText(QString::fromStdString(fields.category));
        txtEditType->setText(QString::fromStdString(fields.type));
        txtEditURL->setText(QString::fromStdString(fields.url));
    }
    if (!chkLoad->isChecked())
        SetPlayerUrl(QString::fromStdString(row.tag),
                     QString::fromStdString(RowChannelFields(row).name));
}

void Form1::ListView2_ItemClick() {
    if (chkLoad->isChecked())
        return;
    const ListRows& rows = ListView2->Rows();
    if (const std::optional<int> selected = rows.SelectedPosition()) {
        const ListRow& row = rows.At(*selected);
        SetPlayerUrl(QString::fromStdString(row.tag), QString::fromStdString(row.text));
    }
}

void Form1::Drive1_Change() {
    // A drive that is not ready leaves the folder list where it was; the drive is stored
    // all the same.
    Dir1->setDrive(Drive1->drive());
    SaveSetting(Branding().ProgramName, kForm1Section, "Drive", Drive1->drive().toStdString());
}

void Form1::Dir1_Change() {
    SaveSetting(Branding().ProgramName, kForm1Section, "Dir", Dir1->path().toStdString());
    File1->setPath(Dir1->path());
    File1->refresh();
}

void Form1::File1_Click() {
    const QString name = File1->fileName();
    if (name.isEmpty())
        return;
    // One separator between folder and name, also in a drive's root folder.
    SetPlayerUrl(
        QString::fromStdString(JoinFolderAndFile(File1->path().toStdString(), name.toStdString())),
        QFileInfo(name).completeBaseName());
}

void Form1::Command2_Click() {
    chkLoad->setChecked(false);
    Frame2->hide();
}

void Form1::WindowsMediaPlayer1_NowPlayingChanged(const QString& title) {
    // The title bar is drawn by the window manager and has no tooltip here: the title goes
    // on the window itself (the category bar under the title bar, the panels' background)
    // and on the picture.
    const QString tip = PlainToolTip(title);
    if (tip.isEmpty()) {
        if (m_titleTipShown) {
            setToolTip(m_windowTip);
            PlayerArea->setToolTip(m_playerTip);
            m_titleTipShown = false;
        }
        return;
    }
    if (!m_titleTipShown) {
        m_windowTip = toolTip();
        m_playerTip = PlayerArea->toolTip();
        m_titleTipShown = true;
    }
    setToolTip(tip);
    PlayerArea->setToolTip(tip);
}

}  // namespace quorvel
