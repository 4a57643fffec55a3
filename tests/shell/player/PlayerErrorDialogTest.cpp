// The player's error box with texts a hostile server or catalogue line controls.
#include "shell/player/PlayerErrorDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QWidget>

namespace quorvel {
namespace {

QLabel* BoxLabel(QMessageBox* box, const char* name) {
    return box ? box->findChild<QLabel*>(QLatin1String(name)) : nullptr;
}

TEST(PlayerErrorDialog, OutsideTextIsPlainTextCutToAReadableLengthAndKeptWhole) {
    QWidget parent;
    PlayerErrorDialog dialog(&parent);
    const QString address = QStringLiteral(
        "http://host/<h2 style=\"color:red\">Codec missing</h2><a "
        "href=\"https://evil.example/x.sh\">Install the codec</a><img src=\"/etc/x.png\">");
    const QString reason = QStringLiteral("HTTP/1.0 404 <h1>Stream moved</h1><a href=x>here</a>");
    dialog.Present({{}, address, reason, 0});
    QMessageBox* box = dialog.Box();
    ASSERT_NE(box, nullptr);
    for (const char* name : {"qt_msgbox_label", "qt_msgbox_informativelabel"}) {
        QLabel* label = BoxLabel(box, name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << name;
        EXPECT_FALSE(label->openExternalLinks()) << name;
    }
    EXPECT_TRUE(BoxLabel(box, "qt_msgbox_informativelabel")->text().contains("<h1>Stream moved"));
    EXPECT_TRUE(box->detailedText().contains(address));

    // A megabyte of address and a thousand lines of reason: short on screen, whole in the details.
    const QString huge =
        QStringLiteral("http://h/") + QString(1 << 20, QLatin1Char('a')) + "/end.mp3";
    QString manyLines;
    for (int i = 0; i < 1000; ++i)
        manyLines += QStringLiteral("line %1\n").arg(i);
    dialog.Present({{}, huge, manyLines, 0});
    EXPECT_EQ(dialog.Box(), box);
    EXPECT_LT(box->text().size(), 200);
    EXPECT_TRUE(box->text().contains("http://h/aaa"));
    EXPECT_TRUE(box->text().contains("end.mp3"));
    EXPECT_LE(box->informativeText().count(QLatin1Char('\n')), 12);
    EXPECT_GT(box->detailedText().size(), 60000);
    EXPECT_TRUE(PlayerErrorDialog::Message(QStringLiteral("x")).endsWith("\"x\"."));
}

// The box names the channel; its details add what the message does not say already.
TEST(PlayerErrorDialog, NamesTheChannelAndItsDetailsAddOnlyWhatIsNew) {
    const QString address = QStringLiteral("http://127.0.0.1:9/news");
    struct Row {
        QString reason;
        qint64 waitedMs;
        QString summary;
        QString details;
    };
    const Row rows[] = {
        {"Failed to connect to 127.0.0.1 port 9 after 0 ms: Couldn't connect to server", 0,
         "The server refused the connection.",
         "Address: " + address +
             "\nThe media engine said:\nFailed to connect to 127.0.0.1 port 9: Couldn't connect "
             "to server"},
        {"HTTP error 404 Not Found\nFailed to open " + address + ".", 1240,
         "The server answered with error 404 Not Found.",
         "Address: " + address + "\nHTTP status: 404 Not Found\nWaited 1.2 s" +
             "\nThe media engine said:\nHTTP error 404 Not Found\nFailed to open " + address + "."},
        {"The stream broke off while playing.", 999, "The stream broke off while playing.",
         "Address: " + address},
    };
    for (const Row& row : rows) {
        const PlayerFailure failure{"Harbour News", address, row.reason, row.waitedMs};
        EXPECT_EQ(PlayerErrorDialog::Summary(row.reason), row.summary);
        EXPECT_EQ(PlayerErrorDialog::Details(failure), row.details);
    }
    QWidget parent;
    PlayerErrorDialog dialog(&parent);
    dialog.Present({"Harbour News", address, rows[0].reason, 0});
    EXPECT_EQ(dialog.Box()->text(), "Cannot play \"Harbour News\".");
    EXPECT_EQ(dialog.Box()->informativeText(), rows[0].summary);
}

}  // namespace
}  // namespace quorvel
