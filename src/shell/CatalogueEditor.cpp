#include "shell/CatalogueEditor.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>

#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "catalogue/CatalogueEditing.h"
#include "catalogue/ChannelList.h"
#include "catalogue/ListCleanup.h"
#include "catalogue/Publish.h"
#include "shell/CatalogueUpdater.h"
#include "shell/Form1.h"
#include "shell/widgets/ListView.h"

namespace quorvel {
namespace {

std::string Utf8(const QLineEdit* box) {
    return box->text().toStdString();
}

std::string Utf8(const QComboBox* box) {
    return box->currentText().toStdString();
}

}  // namespace

CatalogueEditor::CatalogueEditor(Form1& form)
    : QObject(&form), m_form(form), m_updater(new CatalogueUpdater(this)) {
    setObjectName("CatalogueEditor");
    connect(form.Clear, &QPushButton::clicked, this, &CatalogueEditor::Clear_Click);
    connect(form.doLoad, &QPushButton::clicked, this, &CatalogueEditor::doLoad_Click);
    connect(form.cmdAdd, &QPushButton::clicked, this, &CatalogueEditor::cmdAdd_Click);
    connect(form.cmdEdit, &QPushButton::clicked, this, &CatalogueEditor::cmdEdit_Click);
    connect(form.DELChannel, &QPushButton::clicked, this, &CatalogueEditor::DELChannel_Click);
    connect(form.cmdMusic, &QPushButton::clicked, this, &CatalogueEditor::cmdMusic_Click);
    connect(form.Text4, &QLineEdit::returnPressed, this, &CatalogueEditor::cmdMusic_Click);
    connect(form.cmdLoad2, &QPushButton::clicked, this, &CatalogueEditor::cmdLoad2_Click);
    connect(form.cmdReplace, &QPushButton::clicked, this, &CatalogueEditor::cmdReplace_Click);
    connect(form.Text2, &QLineEdit::returnPressed, this, &CatalogueEditor::cmdReplace_Click);
    connect(form.Text3, &QLineEdit::returnPressed, this, &CatalogueEditor::cmdReplace_Click);
    connect(form.cmdDupes, &QPushButton::clicked, this, &CatalogueEditor::cmdDupes_Click);
    connect(form.save, &QPushButton::clicked, this, &CatalogueEditor::save_Click);
    connect(form.mnuFileItem[0], &QAction::triggered, this, &CatalogueEditor::DownloadChannelList);
    connect(m_updater, &CatalogueUpdater::Finished, this, &CatalogueEditor::OnDownloadFinished);
}

CatalogueEditor::~CatalogueEditor() = default;

ListRows& CatalogueEditor::Rows() const {
    return m_form.ListView1->Rows();
}

void CatalogueEditor::Message(const QString& text) {
    m_presenter(&m_form, text);
}

void CatalogueEditor::Clear_Click() {
    Rows().Clear();
}

void CatalogueEditor::doLoad_Click() {
    LoadFullCatalogue(ProgramFileToRead("Data.txt"), Rows(),
                      [this](const std::string& text) { Message(QString::fromStdString(text)); });
}

void CatalogueEditor::cmdAdd_Click() {
    AddChannel(Rows(), {Utf8(m_form.txtAddName), Utf8(m_form.txtAddURL),
                        Utf8(m_form.cmbAddCategory), Utf8(m_form.txtAddType)});
}

void CatalogueEditor::cmdEdit_Click() {
    EditSelectedChannel(Rows(), {Utf8(m_form.txtEditName), Utf8(m_form.txtEditURL),
                                 Utf8(m_form.cmbEditCateogy), Utf8(m_form.txtEditType)});
}

void CatalogueEditor::DELChannel_Click() {
    DeleteSelectedChannel(Rows());
}

void CatalogueEditor::cmdMusic_Click() {
    if (!SetSelectedType(Rows(), Utf8(m_form.Text4)))
        return;
    // Ready for the next row at once.
    m_form.Text4->clear();
    m_form.Text4->setFocus();
}

void CatalogueEditor::cmdLoad2_Click() {
    const ImportResult result =
        ImportChannelList(ProgramFileToRead(Utf8(m_form.Text1)), Utf8(m_form.txtType), Rows());
    if (!result.ok)
        Message(tr("The channel list could not be imported: %1")
                    .arg(QString::fromStdString(result.error)));
}

void CatalogueEditor::cmdReplace_Click() {
    ReplaceInChannels(Rows(), Utf8(m_form.Text2), Utf8(m_form.Text3), Utf8(m_form.Combo2));
}

void CatalogueEditor::cmdDupes_Click() {
    const int removed = RemoveDuplicateChannels(Rows());
    Message(QString::fromUtf8(kDeletedPrefix.data(), static_cast<int>(kDeletedPrefix.size())) +
            QString::number(removed));
}

void CatalogueEditor::save_Click() {
    const PublishResult result = PublishCatalogue(Rows(), ProgramFileToWrite("Data.htm"));
    if (!result.ok)
        Message(QString::fromStdString(result.error));
}

void CatalogueEditor::DownloadChannelList() {
    if (!m_updater->Start(UpdateDownload(CatalogueUpdateUrl()), ProgramFileToWrite("Data.txt")))
        return;  // one download at a time
    m_form.mnuFileItem[0]->setEnabled(false);
    m_progress = new QProgressDialog(&m_form);
    m_progress->setWindowTitle(QString::fromStdString(Branding().ProgramName));
    m_progress->setLabelText(tr("Downloading the most recent channel list..."));
    m_progress->setCancelButtonText(tr("Cancel"));
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    m_progress->setRange(0, 0);  // busy until the size is known
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_progress, &QProgressDialog::canceled, m_updater, &CatalogueUpdater::Cancel);
    connect(m_updater, &CatalogueUpdater::Progress, m_progress,
            [progress = m_progress.data()](qint64 received, qint64 total) {
                // Kilobytes, so that pages of any size fit the bar's int range.
                if (total > 0 && progress->maximum() != static_cast<int>(total / 1024))
                    progress->setRange(0, static_cast<int>(total / 1024));
                if (total > 0)
                    progress->setValue(static_cast<int>(received / 1024));
            });
    m_progress->show();
}

void CatalogueEditor::OnDownloadFinished() {
    if (m_progress)
        m_progress->close();
    m_form.mnuFileItem[0]->setEnabled(true);
    const UpdateResult& result = m_updater->Result();
    if (result.Applied()) {
        m_form.LoadChannelList();
        Message(QString::fromUtf8(kUpdateAppliedMessage.data(),
                                  static_cast<int>(kUpdateAppliedMessage.size())));
    } else if (!result.cancelled) {
        Message(QString::fromStdString(result.message));
    }
    Q_EMIT DownloadEnded();
}

}  // namespace quorvel
