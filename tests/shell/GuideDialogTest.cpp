#include "shell/guide/GuideDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

#include "../guide/GuideTestFiles.h"
#include "LocalHttpServer.h"

namespace quorvel {
namespace {

using test::TempDir;

TEST(GuideDialog, ReadsGuidesOffTheGuiThreadAndShowsEachOnesState) {
    TempDir dir;
    GuideDialog dialog(dir / "cache" / "guide.sqlite");
    dialog.now = [] { return guide::test::kNow; };
    QSignalSpy read(&dialog, &GuideDialog::Read);
    const auto good = dir.Write("good.xml", guide::test::kRulesGuide);
    const auto cut = dir.Write("cut.xml", std::string(guide::test::kRulesGuide).substr(0, 900));

    dialog.AddSource(QString::fromStdString(good.string()));
    EXPECT_FALSE(dialog.cmdAddFile->isEnabled());  // one guide at a time
    ASSERT_TRUE(read.wait(30'000));
    dialog.AddSource(QString::fromStdString(cut.string()));
    ASSERT_TRUE(read.wait(30'000));

    ASSERT_EQ(dialog.lstGuides->count(), 2);
    const QString first = dialog.lstGuides->item(0)->text();
    EXPECT_TRUE(first.startsWith(QString::fromStdString(good.string()))) << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("3 channels, 15 programmes, 2 days; refreshed")))
        << first.toStdString();
    const QString second = dialog.lstGuides->item(1)->text();
    EXPECT_TRUE(second.contains(QStringLiteral("Last error: cut off at line 16")))
        << second.toStdString();
    EXPECT_TRUE(dialog.lblState->text().startsWith(QStringLiteral("Last error:")));
    EXPECT_TRUE(dialog.cmdAddFile->isEnabled());

    dialog.lstGuides->setCurrentRow(0);
    dialog.RemoveSelected();
    ASSERT_EQ(dialog.lstGuides->count(), 1);
    EXPECT_TRUE(dialog.lstGuides->item(0)->text().startsWith(QString::fromStdString(cut.string())));
}

TEST(GuideDialog, ClosingWhileAGuideIsReadStopsTheRead) {
    TempDir dir;
    test::LocalHttpServer server;
    server.Stall("/guide");
    const auto store = dir / "cache" / "guide.sqlite";
    {
        GuideDialog dialog(store);
        dialog.AddSource(QString::fromStdString(server.Url("/guide")));
        ASSERT_TRUE(server.WaitForRequests("/guide", 1, 30'000));
    }
    std::string error;
    const auto guides = guide::GuideStore::Open(store, error)->Guides();
    ASSERT_EQ(guides.size(), 1u);
    EXPECT_EQ(guides[0].lastError, "cancelled");
}

}  // namespace
}  // namespace quorvel
