#include "shell/Form1Extras.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <memory>
#include <unordered_map>

#include "catalogue/CatalogueRows.h"
#include "m3u/M3uRows.h"
#include "shell/Form1.h"
#include "shell/StreamCheckDialog.h"
#include "shell/forms/CaptionFit.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"
#include "shell/widgets/RowFilterModel.h"
#include "shell/widgets/Twips.h"
#include "threads/ThreadEdge.h"

namespace quorvel {
namespace {

// The address a row plays: its URL field where its layout keeps one, else its tag.
std::string AddressOf(const ListRow& row) {
    const std::string& url = RowField(row, ChannelField::Url);
    return url.empty() ? row.tag : url;
}

QPushButton* MakeButton(QGroupBox* panel, const char* name, int left, int top, int width) {
    auto* button = new QPushButton(panel);
    button->setObjectName(name);
    button->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                        TwipsToPixels(375));
    return button;
}

}  // namespace

Form1Extras::Form1Extras(Form1* form) : QObject(form), m_form(form) {
    // Free places in the editing panel: beside the list import and after "Recommended".
    cmdImportM3U = MakeButton(form->Frame2, "cmdImportM3U", 6360, 3840, 1800);
    cmdCheckStreams = MakeButton(form->Frame2, "cmdCheckStreams", 7680, 5400, 1875);
    KeepTranslated(this, [this] {
        cmdImportM3U->setText(tr("Import M3U..."));
        cmdImportM3U->setToolTip(PlainToolTip(
            tr("Appends the channels of an M3U playlist; their category is the Type box above, "
               "or the playlist's group when the box is empty."),
            ToolTipLines::Wrapped));
        cmdCheckStreams->setText(tr("Check Streams"));
        FitCaptionToWidth(cmdImportM3U);
        FitCaptionToWidth(cmdCheckStreams);
    });
    connect(cmdImportM3U, &QPushButton::clicked, this, &Form1Extras::cmdImportM3U_Click);
    connect(cmdCheckStreams, &QPushButton::clicked, this, &Form1Extras::cmdCheckStreams_Click);

    chooseFile = [form] {
        return QFileDialog::getOpenFileName(form, tr("Import M3U"), {},
                                            tr("Playlists (*.m3u *.m3u8);;All files (*)"));
    };
    tell = [form](const QString& message) {
        QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Ok, form);
        SetPlainMessage(box, form->windowTitle(), message);  // the text names a file
        box.exec();
    };
    confirm = [form](const QString& question) {
        // The count is ours, but the wording may come from a downloaded translation.
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No, form);
        SetPlainMessage(box, form->windowTitle(), question);
        return box.exec() == QMessageBox::Yes;
    };
}

Form1Extras::~Form1Extras() {
    // A running import reads a file of bounded size: let it end.
    if (m_import)
        m_import->wait();
}

StreamCheckDialog* Form1Extras::CheckDialog() const {
    return m_check;
}

void Form1Extras::cmdCheckStreams_Click() {
    if (m_check && m_check->Running())
        return;  // one check at a time
    const ListRows& rows = m_form->ListView1->Rows();
    std::vector<std::string> addresses;
    addresses.reserve(static_cast<std::size_t>(rows.Count()));
    for (int position = 1; position <= rows.Count(); ++position)
        addresses.push_back(AddressOf(rows.At(position)));
    m_check = new StreamCheckDialog(std::move(addresses), checkOptions, m_form);
    m_check->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_check, &StreamCheckDialog::Finished, this, &Form1Extras::CheckDone);
    m_check->open();
    m_check->Start();
}

void Form1Extras::CheckDone() {
    const auto* check = qobject_cast<const StreamCheckDialog*>(sender());
    if (!check->Failure().isEmpty()) {
        tell(check->Failure());
        Q_EMIT CheckFinished(-1);
        return;
    }
    // Results go by address, so they still fit when rows moved or went during the check.
    auto failing = std::make_shared<std::unordered_map<std::string, QString>>();
    const CheckReport& report = check->Report();
    for (std::size_t i = 0; i < report.results.size(); ++i) {
        const ProbeResult& result = report.results[i];
        if (Failed(result.status)) {
            (*failing)[check->Addresses()[i]] =
                QString::fromLatin1(StatusName(result.status).data()) + ": " +
                QString::fromStdString(result.reason);
        }
    }
    ListView* list = m_form->ListView1;
    list->FilterModel()->SetRowMark([failing](const ListRow& row) -> std::optional<QString> {
        const auto it = failing->find(AddressOf(row));
        if (it == failing->end())
            return std::nullopt;
        return it->second;
    });

    ListRows& rows = list->Rows();
    std::vector<bool> marked(static_cast<std::size_t>(rows.Count()), false);
    int count = 0;
    for (int position = 1; position <= rows.Count(); ++position) {
        if (failing->count(AddressOf(rows.At(position)))) {
            marked[static_cast<std::size_t>(position - 1)] = true;
            ++count;
        }
    }
    const QString summary = report.cancelled ? tr("The check was cancelled. ") : QString();
    const QString question =
        count == 1 ? tr("1 channel did not answer (marked in red). Remove it from the list?")
                   : tr("%1 channels did not answer (marked in red). Remove them from the list?")
                         .arg(count);
    if (count > 0 && confirm(summary + question)) {
        rows.RemoveMarked(marked);
    }
    Q_EMIT CheckFinished(count);
}

void Form1Extras::cmdImportM3U_Click() {
    const QString path = chooseFile();
    if (!path.isEmpty())
        ImportM3uFile(path);
}

void Form1Extras::ImportM3uFile(const QString& path) {
    if (m_import && m_import->isRunning())
        return;  // one import at a time
    auto result = std::make_shared<M3uRows>();
    const std::filesystem::path file = path.toStdString();
    const std::string category = m_form->txtType->text().trimmed().toStdString();
    QThread* thread = QThread::create([result, file, category] {
        RunAtThreadEdge([&] { *result = ReadM3uRows(file, category); },
                        [&](const std::string& reason) {
                            *result = M3uRows();
                            result->error = file.string() + ": " + reason;
                        });
    });
    m_import = thread;
    connect(thread, &QThread::finished, this, [this, thread, result] {
        thread->deleteLater();
        const int added = static_cast<int>(result->rows.size());
        if (!result->ok) {
            tell(QString::fromStdString(result->error));
        } else {
            m_form->ListView1->Rows().AddRows(std::move(result->rows));
        }
        Q_EMIT ImportFinished(result->ok ? added : -1);
    });
    thread->start();
}

}  // namespace quorvel
