#include "shell/StreamCheckDialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "StreamServer.h"

namespace quorvel {
namespace {

using test::StreamServer;

TEST(StreamCheckDialog, ChecksOffTheGuiThreadAndReportsEveryAddress) {
    StreamServer server;
    server.Answer("/live", StreamServer::Response(200, "audio/mpeg", "ID3"),
                  StreamServer::Ending::KeepOpen);
    StreamCheckDialog dialog({server.Url("/live"), server.Url("/gone"), "udp://239.1.1.1:5000"},
                             {4, 30'000, 5});
    QSignalSpy finished(&dialog, &StreamCheckDialog::Finished);
    dialog.show();
    dialog.Start();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_FALSE(dialog.Running());
    EXPECT_FALSE(dialog.isVisible());
    const CheckReport& report = dialog.Report();
    ASSERT_EQ(report.results.size(), 3u);
    EXPECT_EQ(report.results[0].status, ProbeStatus::Ok);
    EXPECT_EQ(report.results[1].status, ProbeStatus::Dead);
    EXPECT_EQ(report.results[2].status, ProbeStatus::Unchecked);
}

TEST(StreamCheckDialog, CancelEndsACheckThatWouldWaitLong) {
    StreamServer server;
    server.Stall("/stall");
    std::vector<std::string> addresses;
    for (int i = 0; i < 5; ++i)
        addresses.push_back(server.Url("/stall?" + std::to_string(i)));
    StreamCheckDialog dialog(addresses, {10, 600'000, 5});
    QSignalSpy finished(&dialog, &StreamCheckDialog::Finished);
    dialog.show();
    dialog.Start();
    QTest::mouseClick(dialog.findChild<QPushButton*>(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_TRUE(dialog.Report().cancelled);

    // Closing a window whose check still runs waits for it, without a crash.
    auto running = std::make_unique<StreamCheckDialog>(addresses, CheckOptions{10, 600'000, 5});
    running->Start();
    running.reset();
}

}  // namespace
}  // namespace quorvel
