#include "shell/guide/GuideChannelPicker.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/guide/GuideChoices.h"
#include "shell/guide/NowColumn.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/RowFilterModel.h"

namespace quorvel {
namespace {

constexpr int kPickerIdRole = Qt::UserRole + 1;

QString PickerText(const std::string& text) {
    return CappedText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                      kTitleChars);
}

}  // namespace

GuideChannelPicker::GuideChannelPicker(const QString& channelName,
                                       const std::vector<guide::StoredChannel>& channels,
                                       const std::string& chosen, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Guide Channel"));
    auto* label = new QLabel(this);
    SetPlainText(*label, tr("Guide channel of %1:").arg(channelName));
    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setPlaceholderText(tr("Filter"));
    txtFilter->setClearButtonEnabled(true);
    lstChannels = new QListWidget(this);
    lstChannels->setObjectName(QStringLiteral("lstChannels"));
    lstChannels->setMinimumSize(360, 300);
    lstChannels->setUniformItemSizes(true);
    for (const guide::StoredChannel& channel : channels) {
        const std::string& name =
            channel.displayNames.empty() ? channel.id : channel.displayNames.front();
        auto* item = new QListWidgetItem(
            QStringLiteral("%1  (%2)").arg(PickerText(name), PickerText(channel.id)), lstChannels);
        item->setData(kPickerIdRole, QString::fromStdString(channel.id));
        if (channel.id == chosen)
            lstChannels->setCurrentItem(item);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* automatic =
        buttons->addButton(tr("Match Automatically"), QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (lstChannels->currentItem())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(automatic, &QPushButton::clicked, this, [this] {
        m_automatic = true;
        accept();
    });
    connect(lstChannels, &QListWidget::itemActivated, this, [this] { accept(); });
    connect(txtFilter, &QLineEdit::textChanged, this, &GuideChannelPicker::Filter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(txtFilter);
    layout->addWidget(lstChannels, 1);
    layout->addWidget(buttons);
    txtFilter->setFocus();
    // Down goes from the filter into the channels.
    setTabOrder(txtFilter, lstChannels);
}

void GuideChannelPicker::Filter(const QString& text) {
    const QString wanted = text.trimmed();
    QListWidgetItem* first = nullptr;
    for (int i = 0; i < lstChannels->count(); ++i) {
        QListWidgetItem* item = lstChannels->item(i);
        const bool shown = wanted.isEmpty() || item->text().contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !first)
            first = item;
    }
    if (!lstChannels->currentItem() || lstChannels->currentItem()->isHidden())
        lstChannels->setCurrentItem(first);
}

std::string GuideChannelPicker::Picked() const {
    if (m_automatic || !lstChannels->currentItem())
        return {};
    return lstChannels->currentItem()->data(kPickerIdRole).toString().toStdString();
}

void AddGuideChannelMenu(ListView* view, NowColumn* column, RowMenuActions more) {
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        view, &QWidget::customContextMenuRequested, column, [view, column, more](QPoint at) {
            // From the keyboard (the menu key) the menu is for the current row.
            QModelIndex index = view->indexAt(at);
            if (!index.isValid())
                index = view->currentIndex();
            const std::vector<guide::StoredChannel> channels = column->GuideChannels();
            if (!index.isValid() || channels.empty())
                return;
            const int source = view->FilterModel()->mapToSource(index).row();
            const ListRow row = view->Rows().At(source + 1);
            QMenu menu(view);
            QAction* pick = menu.addAction(GuideChannelPicker::tr("Guide Channel..."));
            if (more)
                more(menu, source);
            if (menu.exec(view->viewport()->mapToGlobal(view->visualRect(index).center())) != pick)
                return;
            const std::map<std::string, std::string> hand = HandGuideChannels();
            const auto chosen = hand.find(row.tag);
            GuideChannelPicker picker(
                QString::fromUtf8(row.text.data(), static_cast<qsizetype>(row.text.size())),
                channels, chosen == hand.end() ? std::string() : chosen->second, view->window());
            if (picker.exec() != QDialog::Accepted)
                return;
            SetHandGuideChannel(row.tag, picker.Picked());
            column->Reload();
        });
}

}  // namespace quorvel
