// Names, languages and reasons from a hostile catalogue, through the lists, the language
// box, tooltips, labels and message boxes of the real main window: each shows the literal
// text, capped, and nothing a name points at is ever opened.
#include "Form1Fixture.h"

#include "shell/widgets/PlainText.h"
#include "shell/widgets/RowFilterModel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

#include <sys/inotify.h>
#include <unistd.h>

namespace quorvel {
namespace {

// Shows each row's tooltip the way a hover does; returns what each showed.
std::vector<std::string> HoverEveryRow(ListView& list) {
    std::vector<std::string> shown;
    QAbstractItemModel* model = list.model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QRect cell = list.visualRect(model->index(row, 0));
        QHelpEvent hover(QEvent::ToolTip, cell.center(),
                         list.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(list.viewport(), &hover);
        shown.push_back(test::ShownToolTip(QToolTip::text()).toStdString());
        QToolTip::hideText();
    }
    return shown;
}

// Counts every opening of one file from the moment it is made.
class OpenWatch {
public:
    explicit OpenWatch(const std::filesystem::path& file)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(m_fd, file.c_str(), IN_OPEN);
    }
    ~OpenWatch() { ::close(m_fd); }
    int Opened() const {
        alignas(inotify_event) char buffer[4096];
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        return got > 0 ? static_cast<int>(got / sizeof(inotify_event)) : 0;
    }

private:
    int m_fd;
};

TEST(PlainText, HostileCatalogueShowsLiterallyEverywhereAndOpensNothingItNames) {
    test::Form1Fixture fixture;
    const std::filesystem::path picture = fixture.App() / "picture.png";
    QImage(8, 8, QImage::Format_RGB32).save(QString::fromStdString(picture.string()));
    const std::string img = "<img src=\"" + picture.string() + "\">";
    std::string tables;
    for (int i = 0; i < 22; ++i)
        tables += "<table><tr><td>";
    const std::string huge = "Huge " + std::string(50'000, 'n') + img;
    const std::string longLanguage(1'000, 'L');
    const std::vector<std::string> names = {
        "x " + img, tables + "deep", "<b>bold</b> &amp; <a href=\"http://e/\">link</a>", huge};
    std::string catalogue;
    for (const std::string& line :
         {names[0] + "|http://a/1|TV|English", names[1] + "|http://a/2|TV|English",
          names[2] + "|http://a/3|TV|English", names[3] + "|http://a/4|TV|English",
          "Long|http://a/5|TV|" + longLanguage, std::string("Marked|http://a/6|TV|<b>Lingo")})
        catalogue += test::EncodedLines({line.c_str()});
    fixture.WriteAppFile("Data.txt", catalogue);
    const OpenWatch watch(picture);

    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_TRUE(test::Names(form->ListView1->Rows()) == names);  // huge: not printed

    const QString hugeShown = QString::fromStdString(huge);
    const auto cut = [](const QString& text) {
        return (text.left(kToolTipChars - 1) + QChar(0x2026)).toStdString();
    };
    const std::vector<std::string> expected = {names[0], cut(QString::fromStdString(names[1])),
                                               names[2], cut(hugeShown)};
    EXPECT_EQ(HoverEveryRow(*form->ListView1), expected);
    const QModelIndex hugeCell = form->ListView1->model()->index(3, 0);
    EXPECT_EQ(hugeCell.data().toString(), hugeShown.left(kPlainTextChars - 1) + QChar(0x2026));

    // A check's reason comes from a server.
    form->ListView1->FilterModel()->SetRowMark(
        [&img](const ListRow&) { return std::optional(QString::fromStdString(img)); });
    const QString marked = QString::fromStdString(HoverEveryRow(*form->ListView1).front());
    EXPECT_TRUE(marked.startsWith("x <img src=") && marked.contains(" \u2014 <img src="))
        << marked.toStdString();

    form->ListView1->Rows().Select(1);
    form->cmdFav_Click();
    form->cmdFavorites_Click();
    EXPECT_EQ(HoverEveryRow(*form->ListView2), std::vector<std::string>{names[0]});

    // The language box shows a long language capped and still lists its channels by it.
    form->cmdTV_Click();
    const int entry = form->Combo1->findData(QString::fromStdString(longLanguage));
    ASSERT_GE(entry, 0);
    EXPECT_EQ(form->Combo1->itemText(entry).size(), kTitleChars);
    EXPECT_GE(form->Combo1->findText("<b>Lingo"), 0);
    form->Combo1->setCurrentIndex(entry);
    Q_EMIT form->Combo1->activated(entry);
    EXPECT_EQ(test::Names(form->ListView1->Rows()), std::vector<std::string>{"Long"});

    QLabel label;
    SetPlainText(label, QString::fromStdString(huge));
    QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Ok);
    SetPlainMessage(box, QString::fromStdString(names[1]), QString::fromStdString(names[0]),
                    QString::fromStdString(huge));
    label.show();
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(label.text().size(), kPlainTextChars);
    const auto* informative = box.findChild<QLabel*>("qt_msgbox_informativelabel");
    ASSERT_NE(informative, nullptr);
    EXPECT_EQ(informative->textFormat(), Qt::PlainText);
    EXPECT_EQ(box.text().toStdString(), names[0]);

    EXPECT_EQ(watch.Opened(), 0);
}

}  // namespace
}  // namespace quorvel
