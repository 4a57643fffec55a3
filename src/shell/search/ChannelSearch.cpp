#include "shell/search/ChannelSearch.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QShortcut>
#include <QThread>
#include <QToolButton>

#include "appearance/ProgramFiles.h"
#include "shell/Form1.h"
#include "shell/widgets/ListSearch.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/ProgramTranslator.h"
#include "shell/widgets/RowFilterModel.h"
#include "threads/ThreadEdge.h"

namespace quorvel {
namespace {

SearchBox* MakeSearchBox(const char* name) {
    auto* box = new SearchBox;
    KeepTranslated(box, [box] { box->setPlaceholderText(QObject::tr("Search channels")); });
    box->setObjectName(name);
    return box;
}

}  // namespace

ChannelSearch::ChannelSearch(Form1* form) : QObject(form), m_form(form) {
    txtSearch1 = MakeSearchBox("txtSearch1");
    txtSearch2 = MakeSearchBox("txtSearch2");
    cboSearchScope = new QComboBox;
    cboSearchScope->setObjectName("cboSearchScope");
    cboSearchScope->addItems({QString(), QString()});
    m_bar = new QWidget;
    m_bar->setObjectName("SearchBar1");
    auto* layout = new QHBoxLayout(m_bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(txtSearch1, 1);
    layout->addWidget(cboSearchScope);
    form->ListView1->SetTopWidget(m_bar);
    form->ListView2->SetTopWidget(txtSearch2);
    m_search1 = new ListSearch(form->ListView1);
    m_search2 = new ListSearch(form->ListView2, txtSearch2);

    // Over the channel list, in its place and size, while it lists what Everything found.
    lstEverything = new ListView(form->ListView1->parentWidget());
    lstEverything->setObjectName("lstEverything");
    lstEverything->Rows().AddColumn({}, 2800);
    lstEverything->Rows().AddColumn({}, 1440);
    lstEverything->Rows().AddColumn({}, 1440);
    lstEverything->hide();
    form->ListView1->installEventFilter(this);
    txtSearch1->installEventFilter(this);
    KeepTranslated(this, [this] { RetranslateUi(); });

    connect(txtSearch1, &QLineEdit::textChanged, this, &ChannelSearch::QueryChanged);
    connect(cboSearchScope, &QComboBox::currentIndexChanged, this, &ChannelSearch::QueryChanged);
    connect(lstEverything, &ListView::ItemClick, this, &ChannelSearch::PlayResult);
    auto* find = new QShortcut(QKeySequence::Find, form);
    connect(find, &QShortcut::activated, this, &ChannelSearch::FocusSearch);
}

ChannelSearch::~ChannelSearch() {
    // Reading the catalogue and the playlists held in memory ends soon: let it.
    if (m_indexing)
        m_indexing->wait();
}

void ChannelSearch::RetranslateUi() {
    cboSearchScope->setItemText(ThisList, tr("This list"));
    cboSearchScope->setItemText(Everything, tr("Everything"));
    cboSearchScope->setToolTip(tr("Search the list shown, or every category and playlist"));
    ListRows& rows = lstEverything->Rows();
    rows.SetColumnText(1, tr("Channel").toStdString());
    rows.SetColumnText(2, tr("From").toStdString());
    rows.SetColumnText(3, tr("Type").toStdString());
}

void ChannelSearch::SetPlaylists(std::function<std::vector<NamedPlaylist>()> playlists) {
    m_playlists = std::move(playlists);
    SourcesChanged();
}

void ChannelSearch::SourcesChanged() {
    m_index.reset();
    if (m_indexing)
        m_indexAgain = true;
    if (ResultsShown())
        StartIndex();
}

bool ChannelSearch::ResultsShown() const {
    return !lstEverything->isHidden();
}

void ChannelSearch::FocusSearch() {
    SearchBox* box = m_form->Frame3->isVisible()   ? txtSearch2
                     : m_form->Frame1->isVisible() ? txtSearch1
                                                   : nullptr;
    if (!box)
        return;
    box->setFocus(Qt::ShortcutFocusReason);
    box->selectAll();
}

void ChannelSearch::QueryChanged() {
    const bool everything = cboSearchScope->currentIndex() == Everything;
    const QString query = txtSearch1->text();
    m_search1->SetQuery(everything ? QString() : query);
    if (!everything || query.isEmpty()) {
        ShowResults(false);
        // The next search reads the catalogue and playlists as they are then.
        m_index.reset();
        return;
    }
    if (m_index)
        ListResults();
    else
        StartIndex();
}

void ChannelSearch::StartIndex() {
    if (m_indexing) {
        m_indexAgain = true;
        return;
    }
    std::vector<NamedPlaylist> playlists =
        m_playlists ? m_playlists() : std::vector<NamedPlaylist>{};
    const std::filesystem::path catalogue = ProgramFileToRead("Data.txt");
    const AdultCategory adult =
        m_form->cmdXXX->isHidden() ? AdultCategory::Left : AdultCategory::Included;
    auto made = std::make_shared<std::shared_ptr<EverythingIndex>>();
    QThread* thread = QThread::create([made, catalogue, adult, playlists = std::move(playlists)] {
        RunAtThreadEdge(
            [&] {
                std::vector<CatalogueEntry> entries;
                std::string error;
                // A catalogue that cannot be read leaves the playlists to search.
                ReadCatalogueEntries(catalogue, entries, error);
                *made = IndexEverything(EverythingRows(entries, playlists, adult));
            },
            [&](const std::string&) { *made = IndexEverything({}); });
    });
    m_indexing = thread;
    connect(thread, &QThread::finished, this, [this, thread, made] {
        thread->deleteLater();
        m_indexing = nullptr;
        if (m_indexAgain) {
            m_indexAgain = false;
            StartIndex();
            return;
        }
        m_index = *made;
        if (cboSearchScope->currentIndex() == Everything && !txtSearch1->text().isEmpty())
            ListResults();
    });
    thread->start(QThread::LowPriority);
}

void ChannelSearch::ListResults() {
    const std::vector<int>& found = m_index->names.Find(txtSearch1->text().toStdString());
    std::vector<ListRow> rows;
    rows.reserve(found.size());
    for (const int row : found)
        rows.push_back(m_index->rows[static_cast<std::size_t>(row)]);
    ListRows& shown = lstEverything->Rows();
    shown.Clear();
    shown.AddRows(std::move(rows));
    ShowResults(true);
    Q_EMIT EverythingListed(shown.Count());
}

void ChannelSearch::ShowResults(bool shown) {
    if (shown == ResultsShown())
        return;
    // The search bar goes with the list shown, and keeps the keyboard.
    const bool typing = txtSearch1->hasFocus();
    ListView* from = shown ? m_form->ListView1 : lstEverything;
    ListView* to = shown ? lstEverything : m_form->ListView1;
    to->SetTopWidget(m_bar);
    from->SetTopWidget(nullptr);
    if (shown) {
        lstEverything->setGeometry(m_form->ListView1->geometry());
        lstEverything->raise();
    }
    lstEverything->setVisible(shown);
    if (typing)
        txtSearch1->setFocus(Qt::OtherFocusReason);
}

void ChannelSearch::PlayResult(int position) {
    const ListRow& row = lstEverything->Rows().At(position);
    Q_EMIT PlayRequested(QString::fromStdString(row.tag), QString::fromStdString(row.text));
}

bool ChannelSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_form->ListView1 &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        lstEverything->setGeometry(m_form->ListView1->geometry());
    } else if (watched == txtSearch1 && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && ResultsShown() &&
               lstEverything->model()->rowCount() > 0) {
        lstEverything->setFocus(Qt::OtherFocusReason);
        lstEverything->setCurrentIndex(lstEverything->model()->index(0, 0));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quorvel
