// The stream's title in the main window's tooltips: shown as the literal text the server
// sent, cut to a readable length, and gone again with the title.
#include "Form1Fixture.h"

#include "shell/widgets/PlainText.h"

#include <gtest/gtest.h>

#include <QTextDocument>

namespace quorvel {
namespace {

TEST(Form1NowPlaying, TheTitleShowsAsLiteralTextOnTheWindowAndThePlayerUntilItGoes) {
    test::Form1Fixture fixture;
    auto form = fixture.MakeForm();
    form->PlayerArea->setToolTip(QStringLiteral("Player"));
    const QString hostile = QStringLiteral("<a href=x>y</a><img src=/etc/passwd>");
    form->WindowsMediaPlayer1_NowPlayingChanged(hostile);
    for (QWidget* widget : {static_cast<QWidget*>(form.get()), form->PlayerArea}) {
        EXPECT_EQ(test::ShownToolTip(widget->toolTip()).toStdString(), hostile.toStdString());
    }

    // A title without end, broken over lines, with an emoji where the cut falls.
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    form->WindowsMediaPlayer1_NowPlayingChanged(QString(kToolTipChars - 2, QLatin1Char('a')) +
                                                smile + QStringLiteral("\n<b>") +
                                                QString(5000, QLatin1Char('b')));
    const QString cut = test::ShownToolTip(form->toolTip());
    EXPECT_EQ(cut, QString(kToolTipChars - 2, QLatin1Char('a')) + QChar(0x2026));
    EXPECT_EQ(test::ShownToolTip(form->PlayerArea->toolTip()), cut);

    // Stopped, or a stream without titles: the tooltips are what they were.
    form->WindowsMediaPlayer1_NowPlayingChanged({});
    EXPECT_TRUE(form->toolTip().isEmpty());
    EXPECT_EQ(form->PlayerArea->toolTip(), QStringLiteral("Player"));
    form->WindowsMediaPlayer1_NowPlayingChanged(QStringLiteral("Plain & simple"));
    EXPECT_EQ(test::ShownToolTip(form->toolTip()), QStringLiteral("Plain & simple"));
}

}  // namespace
}  // namespace quorvel
