#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "StreamServer.h"
#include "TempDir.h"
#include "catalogue/LineCodec.h"

namespace quorvel {
namespace {

using test::StreamServer;

TEST(CheckToolTest, OneLinePerChannelInFileOrderAndASummary) {
    StreamServer server;
    server.Answer("/live", StreamServer::Response(200, "audio/mpeg", "ID3 bytes"),
                  StreamServer::Ending::KeepOpen);
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(StreamServer::RefusingPort()) + "/";
    test::TempDir dir;
    std::string catalogue = "\r\n";
    for (const std::string& line : {"Live|" + server.Url("/live") + "|Radio|English",
                                    "Gone|" + server.Url("/gone") + "|TV|English",
                                    "Down|" + refused + "|TV|", "Again|" + server.Url("/live")})
        catalogue.append(EncodeLine(line)).append("\r\n");
    const auto data = dir.Write("Data.txt", catalogue);

    const auto run =
        test::RunProcess(std::filesystem::path(QUORVEL_BIN_DIR) / "quorvel-catalogue",
                         {"check", data.string(), "--concurrency", "2", "--timeout", "30"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> lines = {"ok\t200\t", "dead\t404\t-\tHTTP error 404\tGone\t",
                                            "refused\t-\t-\tconnection refused\tDown\t",
                                            "ok\t200\t"};
    std::size_t at = 0;
    for (const auto& start : lines) {
        EXPECT_EQ(run.out.compare(at, start.size(), start), 0) << run.out;
        at = run.out.find('\n', at) + 1;
    }
    EXPECT_EQ(at, run.out.size());
    EXPECT_NE(run.err.find("4 channels: 2 ok, 1 dead, 0 timeout, 1 refused, 0 skipped"),
              std::string::npos)
        << run.err;

    EXPECT_EQ(test::RunProcess(std::filesystem::path(QUORVEL_BIN_DIR) / "quorvel-catalogue",
                               {"check", data.string(), "--concurrency", "0"})
                  .exitStatus,
              2);
}

}  // namespace
}  // namespace quorvel
