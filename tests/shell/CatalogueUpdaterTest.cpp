#include <gtest/gtest.h>
#include <QSignalSpy>

#include "LocalHttpServer.h"
#include "TempDir.h"
#include "shell/CatalogueUpdater.h"

namespace quorvel {
namespace {

TEST(CatalogueUpdater, OneUpdateAtATimeCancelAndApply) {
    test::TempDir dir;
    const auto catalogue = dir.Write("Data.txt", "old\r\n");
    test::LocalHttpServer server;
    server.Stall("/stall");
    const std::string block(2 * 1024 * 1024, 'x');
    server.Serve("/TV/Data.htm", "<data>" + block + "</data>");

    CatalogueUpdater updater;
    QSignalSpy finished(&updater, &CatalogueUpdater::Finished);
    QSignalSpy progress(&updater, &CatalogueUpdater::Progress);
    ASSERT_TRUE(updater.Start(UpdateDownload(server.Url("/stall")), catalogue));
    EXPECT_TRUE(updater.Running());
    // A second download is held back while the first runs.
    EXPECT_FALSE(updater.Start(UpdateDownload(server.Url("/TV/Data.htm")), catalogue));
    updater.Cancel();
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(updater.Running());
    EXPECT_TRUE(updater.Result().cancelled);
    EXPECT_FALSE(updater.Result().Applied());
    EXPECT_EQ(dir.Read("Data.txt"), "old\r\n");

    ASSERT_TRUE(updater.Start(UpdateDownload(server.Url("/TV/Data.htm")), catalogue));
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(updater.Result().Applied()) << updater.Result().message;
    EXPECT_EQ(dir.Read("Data.txt"), block + "\r\n");
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toLongLong(), static_cast<qlonglong>(block.size() + 13));
}

TEST(CatalogueUpdater, DestroyedWhileRunningCancelsAndWaits) {
    test::TempDir dir;
    test::LocalHttpServer server;
    server.Stall("/stall");
    auto updater = std::make_unique<CatalogueUpdater>();
    ASSERT_TRUE(updater->Start(UpdateDownload(server.Url("/stall")), dir / "Data.txt"));
    updater.reset();  // must neither hang nor call back into the destroyed object
    EXPECT_FALSE(std::filesystem::exists(dir / "Data.txt"));
}

}  // namespace
}  // namespace quorvel
