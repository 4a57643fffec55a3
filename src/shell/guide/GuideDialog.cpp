#include "shell/guide/GuideDialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <ctime>
#include <memory>

#include "guide/GuideImport.h"
#include "guide/GuideStore.h"
#include "shell/guide/GuideChoices.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"

namespace quorvel {
namespace {

constexpr int kSourceRole = Qt::UserRole + 1;

std::unique_ptr<guide::GuideStore> OpenStore(const std::filesystem::path& path, QString& error) {
    std::string message;
    auto store = guide::GuideStore::Open(path, message);
    if (!store)
        error = QString::fromStdString(message);
    return store;
}

}  // namespace

GuideDialog::GuideDialog(std::filesystem::path storePath, QWidget* parent)
    : QDialog(parent), m_storePath(std::move(storePath)) {
    lstGuides = new QListWidget(this);
    lstGuides->setObjectName(QStringLiteral("lstGuides"));
    lstGuides->setMinimumSize(480, 220);
    lblState = new QLabel(this);
    lblState->setObjectName(QStringLiteral("lblState"));
    lblState->setTextFormat(Qt::PlainText);
    lblState->setWordWrap(true);
    const auto makeButton = [this](QPushButton*& button, const char* name) {
        button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(name));
    };
    makeButton(cmdAddAddress, "cmdAddAddress");
    makeButton(cmdAddFile, "cmdAddFile");
    makeButton(cmdRemove, "cmdRemove");
    makeButton(cmdRefresh, "cmdRefresh");

    auto* side = new QVBoxLayout;
    for (QPushButton* button : {cmdAddAddress, cmdAddFile, cmdRemove, cmdRefresh})
        side->addWidget(button);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(lstGuides, 1);
    top->addLayout(side);
    lblOffset = new QLabel(this);
    txtOffset = new QDoubleSpinBox(this);
    txtOffset->setObjectName(QStringLiteral("txtOffset"));
    txtOffset->setRange(-24, 24);
    txtOffset->setSingleStep(0.5);
    txtOffset->setDecimals(2);
    txtOffset->setValue(GuideOffsetHours());
    lblOffset->setBuddy(txtOffset);
    connect(txtOffset, &QDoubleSpinBox::valueChanged, this,
            [](double hours) { SetGuideOffsetHours(hours); });
    auto* offset = new QHBoxLayout;
    offset->addWidget(lblOffset);
    offset->addWidget(txtOffset);
    offset->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lblState);
    layout->addLayout(offset);
    layout->addWidget(buttons);

    askAddress = [this] {
        return QInputDialog::getText(this, windowTitle(), tr("Address of the guide:")).trimmed();
    };
    askFile = [this] {
        return QFileDialog::getOpenFileName(
            this, windowTitle(), {}, tr("Programme guides (*.xml *.gz *.xz);;All files (*)"));
    };
    now = [] { return static_cast<guide::GuideTime>(std::time(nullptr)); };

    connect(cmdAddAddress, &QPushButton::clicked, this, [this] { AddSource(askAddress()); });
    connect(cmdAddFile, &QPushButton::clicked, this, [this] { AddSource(askFile()); });
    connect(cmdRemove, &QPushButton::clicked, this, &GuideDialog::RemoveSelected);
    connect(cmdRefresh, &QPushButton::clicked, this, &GuideDialog::RefreshSelected);
    connect(lstGuides, &QListWidget::currentRowChanged, this, [this] { ShowSelected(); });
    KeepTranslated(this, [this] {
        RetranslateUi();
        Fill(SelectedSource());
    });
}

GuideDialog::~GuideDialog() {
    *m_cancel = true;
    if (m_reading) {
        m_reading->wait();
        delete m_reading.data();
    }
}

void GuideDialog::RetranslateUi() {
    setWindowTitle(tr("Programme Guide"));
    cmdAddAddress->setText(tr("Add Address..."));
    cmdAddFile->setText(tr("Add File..."));
    cmdRemove->setText(tr("Remove"));
    cmdRefresh->setText(tr("Refresh Now"));
    lblOffset->setText(tr("Move every channel's times by (hours):"));
}

void GuideDialog::Fill(const QString& select) {
    lstGuides->clear();
    QString error;
    auto store = OpenStore(m_storePath, error);
    if (!store) {
        lblState->setText(error);
        ShowSelected();
        return;
    }
    for (const guide::StoredGuide& stored : store->Guides()) {
        const QString source = QString::fromStdString(stored.source);
        QString text = CappedText(source);
        if (stored.held) {
            const auto days = (stored.lastStop - stored.firstStart + 86399) / 86400;
            text += QStringLiteral("\n") +
                    tr("%1 channels, %2 programmes, %3 days; refreshed %4")
                        .arg(stored.channels)
                        .arg(stored.programmes)
                        .arg(stored.programmes > 0 ? days : 0)
                        .arg(QLocale().toString(QDateTime::fromSecsSinceEpoch(stored.refreshed),
                                                QLocale::ShortFormat));
        } else {
            text += QStringLiteral("\n") + tr("not read yet");
        }
        if (!stored.lastError.empty())
            text += QStringLiteral("\n") +
                    tr("Last error: %1").arg(CappedText(QString::fromStdString(stored.lastError)));
        auto* item = new QListWidgetItem(text);
        item->setData(kSourceRole, source);
        item->setToolTip(PlainToolTip(source));
        lstGuides->addItem(item);
        if (source == select)
            lstGuides->setCurrentItem(item);
    }
    if (!lstGuides->currentItem() && lstGuides->count() > 0)
        lstGuides->setCurrentRow(0);
    ShowSelected();
}

QString GuideDialog::SelectedSource() const {
    const QListWidgetItem* item = lstGuides->currentItem();
    return item ? item->data(kSourceRole).toString() : QString();
}

void GuideDialog::ShowSelected() {
    const bool idle = !m_reading;
    cmdAddAddress->setEnabled(idle);
    cmdAddFile->setEnabled(idle);
    cmdRemove->setEnabled(idle && !SelectedSource().isEmpty());
    cmdRefresh->setEnabled(idle && !SelectedSource().isEmpty());
}

void GuideDialog::AddSource(const QString& source) {
    if (source.isEmpty() || m_reading)
        return;
    lblState->setText(tr("Reading %1...").arg(CappedText(source)));
    auto result = std::make_shared<guide::ImportResult>();
    const std::filesystem::path path = m_storePath;
    guide::ImportOptions options;
    options.now = now();
    options.language = QLocale().name().section(QLatin1Char('_'), 0, 0).toStdString();
    const std::string key = source.toStdString();
    m_reading = QThread::create([result, path, options, key, cancel = m_cancel]() mutable {
        options.cancel = cancel.get();
        std::string error;
        auto store = guide::GuideStore::Open(path, error);
        if (!store) {
            result->error = error;
            return;
        }
        *result = guide::ImportGuide(*store, key, options);
    });
    connect(m_reading, &QThread::finished, this, [this, result, source] {
        m_reading->deleteLater();
        m_reading = nullptr;
        lblState->setText(
            result->Ok() || result->error.empty()
                ? QString()
                : tr("Last error: %1").arg(CappedText(QString::fromStdString(result->error))));
        Fill(
            guide::IsGuideAddress(source.toStdString())
                ? source
                : QString::fromStdString(
                      std::filesystem::absolute(source.toStdString()).lexically_normal().string()));
        Q_EMIT Read();
    });
    ShowSelected();
    m_reading->start();
}

void GuideDialog::RemoveSelected() {
    const QString source = SelectedSource();
    if (source.isEmpty() || m_reading)
        return;
    QString error;
    if (auto store = OpenStore(m_storePath, error))
        store->RemoveGuide(source.toStdString());
    Fill();
    lblState->setText(error);
}

void GuideDialog::RefreshSelected() {
    AddSource(SelectedSource());
}

}  // namespace quorvel
