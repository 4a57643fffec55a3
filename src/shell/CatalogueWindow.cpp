#include "shell/CatalogueWindow.h"

#include "appearance/FileExists.h"
#include "appearance/ProductInfo.h"
#include "catalogue/ChannelList.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/Twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quorvel {
namespace {

constexpr int kChannelWidth = 2800;
constexpr int kCategoryWidth = 1440;
constexpr int kTypeWidth = 1440;

}  // namespace

CatalogueWindow::CatalogueWindow(std::filesystem::path applicationFolder, QWidget* parent)
    : QWidget(parent), m_applicationFolder(std::move(applicationFolder)) {
    setObjectName("CatalogueWindow");
    setWindowTitle(QString::fromStdString(Branding().ProgramName));

    Frame1 = new QGroupBox(tr("Channels"), this);
    Frame1->setObjectName("Frame1");
    lblCountry = new QLabel(tr("Type:"), Frame1);
    lblCountry->setObjectName("lblCountry");
    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName("Combo1");
    // A drop-down with an edit field; only a choice from the list acts.
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    // Otherwise Enter on typed text that names an entry would choose it.
    Combo1->setDuplicatesEnabled(true);
    lblCountry->setBuddy(Combo1);

    ListView1 = new ListView(Frame1);
    ListView1->setObjectName("ListView1");
    ListRows& rows = ListView1->Rows();
    rows.AddColumn("Channel", kChannelWidth);
    rows.AddColumn("Category", kCategoryWidth);
    rows.AddColumn("Type", kTypeWidth);
    const int listWidth = TwipsToPixels(kChannelWidth + kCategoryWidth + kTypeWidth);
    ListView1->setMinimumWidth(listWidth + 8);

    auto* frameLayout = new QVBoxLayout(Frame1);
    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(lblCountry);
    languageRow->addWidget(Combo1, 1);
    frameLayout->addLayout(languageRow);
    frameLayout->addWidget(ListView1, 1);

    PlayerArea = new QWidget(this);
    PlayerArea->setObjectName("PlayerArea");
    PlayerArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_playerLayout = new QVBoxLayout(PlayerArea);
    m_playerLayout->setContentsMargins(0, 0, 0, 0);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Frame1, 0);
    layout->addWidget(PlayerArea, 1);
    resize(TwipsToPixels(15630), TwipsToPixels(9600));

    connect(Combo1, &QComboBox::activated, this, &CatalogueWindow::Combo1_Click);
    connect(ListView1, &ListView::ItemClick, this, &CatalogueWindow::ListView1_ItemClick);
}

std::filesystem::path CatalogueWindow::CatalogueFile() const {
    return ResolveInFolder(m_applicationFolder, "Data.txt");
}

bool CatalogueWindow::LoadChannelList() {
    const bool rebuild = m_state.RefreshLanguageList;
    ComboBoxState combo;
    const bool loaded = quorvel::LoadChannelList(
        CatalogueFile(), m_state, ListView1->Rows(), combo,
        [this](const std::string& message) { m_presenter(this, QString::fromStdString(message)); });
    // The reader clears the flag only when it has rebuilt the list.
    if (rebuild && !m_state.RefreshLanguageList)
        FillCombo1(combo);
    return loaded;
}

void CatalogueWindow::FillCombo1(const ComboBoxState& combo) {
    const QSignalBlocker blocker(Combo1);
    Combo1->clear();
    for (const std::string& item : combo.items)
        Combo1->addItem(QString::fromStdString(item));
    const QString text = QString::fromStdString(combo.text);
    const int index = text.isEmpty() ? -1 : Combo1->findText(text, Qt::MatchFixedString);
    Combo1->setCurrentIndex(index);
    Combo1->setEditText(index >= 0 ? Combo1->itemText(index) : QString());
}

void CatalogueWindow::Combo1_Click(int index) {
    if (index < 0)
        return;
    m_state.CurrentLanguage = Combo1->itemText(index).toStdString();
    LoadChannelList();
}

void CatalogueWindow::ListView1_ItemClick(int position) {
    const ListRows& rows = ListView1->Rows();
    if (position < 1 || position > rows.Count())
        return;
    Q_EMIT ChannelChosen(QString::fromStdString(rows.At(position).tag));
}

}  // namespace quorvel
