#include "shell/guide/GuideWindow.h"

#include "shell/guide/GuideActions.h"
#include "shell/guide/ProgrammeDetails.h"
#include "shell/schedule/ScheduleRunner.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace quorvel {

namespace {

std::int64_t MidnightOf(const QDate& day) {
    return QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
}

}  // namespace

GuideWindow::GuideWindow(guide::GuideStore* store, ScheduleRunner* runner, QWidget* parent)
    : QWidget(parent, Qt::Window), m_store(store), m_runner(runner) {
    setObjectName(QStringLiteral("GuideWindow"));
    m_clock = [] { return QDateTime::currentSecsSinceEpoch(); };
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    cboDay = new QComboBox(this);
    cboDay->setObjectName(QStringLiteral("cboDay"));
    cmdNow = new QPushButton(this);
    cmdNow->setObjectName(QStringLiteral("cmdNow"));
    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setClearButtonEnabled(true);
    top->addWidget(cboDay);
    top->addWidget(cmdNow);
    top->addStretch(1);
    top->addWidget(txtSearch, 1);
    layout->addLayout(top);
    lstFound = new QListWidget(this);
    lstFound->setObjectName(QStringLiteral("lstFound"));
    lstFound->setMaximumHeight(fontMetrics().height() * 8);
    lstFound->hide();
    layout->addWidget(lstFound);
    grid = new GuideGrid(this);
    grid->SetStore(store);
    layout->addWidget(grid, 1);
    details = new ProgrammeDetails(this);
    layout->addWidget(details);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextFormat(Qt::PlainText);
    layout->addWidget(lblStatus);
    setTabOrder(cboDay, cmdNow);
    setTabOrder(cmdNow, txtSearch);
    setTabOrder(txtSearch, lstFound);
    setTabOrder(lstFound, grid);

    connect(cboDay, &QComboBox::activated, this,
            [this](int index) { ShowDay(cboDay->itemData(index).toInt()); });
    connect(cmdNow, &QPushButton::clicked, this, [this] {
        ShowDay(0);
        grid->setFocus();
    });
    connect(grid, &GuideGrid::ChannelActivated, this,
            [this](int row) { Q_EMIT PlayChannel(grid->Rows()[static_cast<std::size_t>(row)]); });
    connect(grid, &GuideGrid::ProgrammeChosen, this, &GuideWindow::ShowCurrent);
    connect(grid, &GuideGrid::ProgrammeMenuRequested, this, &GuideWindow::ShowMenu);
    connect(details->cmdRecord, &QPushButton::clicked, this, [this] { Record(false); });
    connect(details->cmdRecordSeries, &QPushButton::clicked, this, [this] { Record(true); });
    connect(details->cmdRemind, &QPushButton::clicked, this, &GuideWindow::Remind);
    connect(details->cmdPlay, &QPushButton::clicked, this, &GuideWindow::PlayFromStart);
    m_searchDelay.setSingleShot(true);
    m_searchDelay.setInterval(300);
    connect(&m_searchDelay, &QTimer::timeout, this, &GuideWindow::Search);
    connect(txtSearch, &QLineEdit::textEdited, this, [this] { m_searchDelay.start(); });
    connect(txtSearch, &QLineEdit::returnPressed, this, &GuideWindow::Search);
    connect(lstFound, &QListWidget::itemActivated, this, &GuideWindow::FoundActivated);
    connect(lstFound, &QListWidget::itemClicked, this, &GuideWindow::FoundActivated);
    txtSearch->installEventFilter(this);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        txtSearch->setFocus();
        txtSearch->selectAll();
    });
    KeepTranslated(this, [this] { RetranslateUi(); });
    resize(1000, 640);
    ShowDay(0);
}

bool GuideWindow::eventFilter(QObject* watched, QEvent* event) {
    // Down goes from the search box into what it found.
    if (watched == txtSearch && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && lstFound->isVisible() &&
        lstFound->count() > 0) {
        lstFound->setFocus();
        if (!lstFound->currentItem())
            lstFound->setCurrentRow(0);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void GuideWindow::RetranslateUi() {
    setWindowTitle(tr("Guide"));
    cmdNow->setText(tr("Now"));
    txtSearch->setPlaceholderText(tr("Search titles"));
    FillDays();
}

void GuideWindow::SetClock(GuideGrid::Clock clock) {
    m_clock = clock;
    grid->SetClock(std::move(clock));
    ShowDay(0);
}

void GuideWindow::SetRows(std::vector<GuideChannelRow> rows) {
    m_rowOfGuideChannel.clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].guideId.empty())
            m_rowOfGuideChannel.emplace(rows[i].guideId, static_cast<int>(i));
    }
    // The list filled again (filtered, sorted, reread) keeps the channel and programme chosen.
    std::string chosenAddress;
    std::optional<std::int64_t> chosenStart;
    if (const GuideChannelRow* chosen = grid->CurrentChannel()) {
        chosenAddress = chosen->address;
        if (const guide::StoredProgramme* programme = grid->CurrentProgramme())
            chosenStart = programme->start;
    }
    int chosenRow = -1;
    for (std::size_t i = 0; i < rows.size() && !chosenAddress.empty(); ++i) {
        if (rows[i].address == chosenAddress) {
            chosenRow = static_cast<int>(i);
            break;
        }
    }
    grid->SetRows(std::move(rows));
    details->ShowNothing();
    if (chosenRow >= 0)
        grid->Choose(chosenRow, chosenStart.value_or(m_clock()));
    lblStatus->clear();
    if (m_store && m_store->Guides().empty())
        Status(tr("No programme guide yet: add one with File > Programme Guide..."));
    if (!txtSearch->text().isEmpty())
        Search();
}

void GuideWindow::FillDays() {
    const int chosen = cboDay->currentIndex() >= 0 ? cboDay->currentData().toInt() : 0;
    const QDate today = QDateTime::fromSecsSinceEpoch(m_clock()).toLocalTime().date();
    const QLocale locale;
    cboDay->clear();
    for (int offset = -kDaysBack; offset <= kDaysAhead; ++offset) {
        QString text = locale.toString(today.addDays(offset), QStringLiteral("ddd d MMM"));
        if (offset == 0)
            text = tr("Today") + QStringLiteral(", ") + text;
        cboDay->addItem(text, offset);
    }
    cboDay->setCurrentIndex(chosen + kDaysBack);
}

void GuideWindow::ShowDay(int offset) {
    offset = std::clamp(offset, -kDaysBack, kDaysAhead);
    const std::int64_t now = m_clock();
    const QDate day = QDateTime::fromSecsSinceEpoch(now).toLocalTime().date().addDays(offset);
    cboDay->setCurrentIndex(offset + kDaysBack);
    grid->SetSpan(MidnightOf(day), MidnightOf(day.addDays(1)));
    grid->ShowTime(offset == 0 ? now : MidnightOf(day) + 18 * 3600);
    ShowCurrent();
}

void GuideWindow::ShowCurrent() {
    const GuideChannelRow* channel = grid->CurrentChannel();
    const guide::StoredProgramme* programme = grid->CurrentProgramme();
    if (!channel || !programme) {
        details->ShowNothing();
        return;
    }
    details->Show(*channel, *programme, ChoicesFor(*channel, *programme, m_clock()));
}

void GuideWindow::Status(const QString& text) {
    SetPlainText(*lblStatus, text);
}

void GuideWindow::Record(bool series) {
    const GuideChannelRow* channel = grid->CurrentChannel();
    const guide::StoredProgramme* programme = grid->CurrentProgramme();
    if (!channel || !programme || !m_runner)
        return;
    const QString done = GuideActions::Record(*m_runner, m_store, *channel, *programme, series,
                                              m_clock(), this, tell);
    if (!done.isEmpty())
        Status(done);
}

void GuideWindow::Remind() {
    const GuideChannelRow* channel = grid->CurrentChannel();
    const guide::StoredProgramme* programme = grid->CurrentProgramme();
    if (!channel || !programme || !m_runner)
        return;
    const QString done = GuideActions::Remind(*m_runner, *channel, *programme, this, tell);
    if (!done.isEmpty())
        Status(done);
}

void GuideWindow::PlayFromStart() {
    const GuideChannelRow* channel = grid->CurrentChannel();
    const guide::StoredProgramme* programme = grid->CurrentProgramme();
    if (!channel || !programme)
        return;
    const QString address = GuideActions::StartAddress(*channel, *programme, m_clock(), this, tell);
    if (!address.isEmpty())
        Q_EMIT PlayAddress(*channel, address);
}

void GuideWindow::ShowMenu(const QPoint& globalPos) {
    const GuideChannelRow* channel = grid->CurrentChannel();
    const guide::StoredProgramme* programme = grid->CurrentProgramme();
    if (!channel || !programme)
        return;
    const ProgrammeChoices choices = ChoicesFor(*channel, *programme, m_clock());
    QMenu menu(this);
    menu.addAction(tr("Record"), this, [this] { Record(false); })->setEnabled(choices.record);
    menu.addAction(tr("Record Series"), this, [this] { Record(true); })->setEnabled(choices.record);
    menu.addAction(tr("Remind Me"), this, &GuideWindow::Remind)->setEnabled(choices.remind);
    if (choices.playArchive)
        menu.addAction(tr("Play"), this, &GuideWindow::PlayFromStart);
    else
        menu.addAction(tr("Play from Start"), this, &GuideWindow::PlayFromStart)
            ->setEnabled(choices.playFromStart);
    menu.addSeparator();
    const int row = grid->CurrentRow();
    menu.addAction(tr("Play Channel"), this, [this, row] {
        Q_EMIT PlayChannel(grid->Rows()[static_cast<std::size_t>(row)]);
    });
    menu.exec(globalPos);
}

void GuideWindow::Search() {
    m_searchDelay.stop();
    lstFound->clear();
    const std::string text = txtSearch->text().trimmed().toStdString();
    if (text.empty() || !m_store) {
        lstFound->hide();
        return;
    }
    // What is still to come first, then what has aired.
    const std::int64_t now = m_clock();
    const guide::KeptSpan kept = guide::KeptAround(now);
    auto foundList = m_store->FindTitles(text, now, kept.to, kMostFound);
    for (auto& aired : m_store->FindTitles(text, kept.from, now, kMostFound)) {
        if (aired.programme.stop <= now && foundList.size() < kMostFound)
            foundList.push_back(std::move(aired));
    }
    for (const auto& found : foundList) {
        const auto row = m_rowOfGuideChannel.find(found.channel);
        if (row == m_rowOfGuideChannel.end())
            continue;
        const GuideChannelRow& channel = grid->Rows()[static_cast<std::size_t>(row->second)];
        const std::int64_t start = found.programme.start + channel.shift;
        const QString line = ProgrammeTimeText(start, found.programme.stop + channel.shift) +
                             QStringLiteral("  \u00b7  ") + QString::fromStdString(channel.name) +
                             QStringLiteral("  \u00b7  ") +
                             QString::fromStdString(found.programme.texts[guide::kTitle]);
        auto* item = new QListWidgetItem(CappedText(line, kTitleChars), lstFound);
        item->setData(Qt::UserRole, row->second);
        item->setData(Qt::UserRole + 1, static_cast<qlonglong>(start));
    }
    if (lstFound->count() == 0)
        new QListWidgetItem(tr("No programme found"), lstFound);
    lstFound->show();
}

void GuideWindow::FoundActivated(QListWidgetItem* item) {
    if (!item || !item->data(Qt::UserRole).isValid())
        return;
    const int row = item->data(Qt::UserRole).toInt();
    const std::int64_t start = item->data(Qt::UserRole + 1).toLongLong();
    const QDate today = QDateTime::fromSecsSinceEpoch(m_clock()).toLocalTime().date();
    const QDate day = QDateTime::fromSecsSinceEpoch(start).toLocalTime().date();
    ShowDay(static_cast<int>(today.daysTo(day)));
    grid->Choose(row, start);
    grid->setFocus();
}

}  // namespace quorvel
