#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CatalogueTestFiles.h"
#include "LocalHttpServer.h"
#include "catalogue/ChannelList.h"
#include "catalogue/WebUpdate.h"

namespace quorvel {
namespace {

using Names = std::vector<std::string>;

using test::TempDir;

const std::string kOld = test::EncodeCatalogue({"Old|http://old|TV|English"});
const std::string kBlock =
    "\r\n" + test::EncodeCatalogue({"One|http://one|TV|English", "Two|http://two|TV|German"});

Names ListedNames(const std::filesystem::path& catalogue) {
    BrowsingState state;
    ListRows rows;
    ComboBoxState combo;
    EXPECT_TRUE(LoadChannelList(catalogue, state, rows, combo, [](const std::string&) {}));
    Names names;
    for (int i = 1; i <= rows.Count(); ++i)
        names.push_back(rows.At(i).text);
    return names;
}

TEST(WebUpdate, AppliesTheBlockOfAServedPage) {
    TempDir dir;
    const auto catalogue = dir.Write("Data.txt", kOld);
    test::LocalHttpServer server;
    server.Serve("/bare", "<data>" + kBlock + "</data>");
    server.Serve("/TV/Data.htm", "<html><body>news\r\n<data>" + kBlock + "</data>\r\nbye</html>");
    for (const char* path : {"/bare", "/TV/Data.htm"}) {
        dir.Write("Data.txt", kOld);
        const UpdateResult result = RunWebUpdate(UpdateDownload(server.Url(path)), catalogue);
        EXPECT_TRUE(result.Applied()) << path << ": " << result.message;
        EXPECT_EQ(dir.Read("Data.txt"), kBlock + "\r\n") << path;
        EXPECT_EQ(ListedNames(catalogue), (Names{"One", "Two"})) << path;
    }
    // A page with an empty block empties the list.
    server.Serve("/empty", "<data>\r\n</data>\r\n");
    EXPECT_TRUE(RunWebUpdate(UpdateDownload(server.Url("/empty")), catalogue).Applied());
    EXPECT_TRUE(ListedNames(catalogue).empty());
}

TEST(WebUpdate, NoWholeBlockOrNoDownloadKeepsTheCatalogueAndSaysWhy) {
    TempDir dir;
    const auto catalogue = dir.Write("Data.txt", kOld);
    test::LocalHttpServer server;
    server.Serve("/none", "<html>Page not here</html>");
    server.Serve("/open", "<data>" + kBlock);
    server.Serve("/backwards", "</data>" + kBlock + "<data>");
    server.ServeStatus("/error", 500, "<data>" + kBlock + "</data>");
    server.Stall("/stall");
    server.ServeTrickle("/trickle", 900);
    const struct {
        std::string path;
        UpdateStatus status;
        std::string reason;
    } cases[] = {
        {"/none", UpdateStatus::NoStartMarker, "holds no channel list"},
        {"/open", UpdateStatus::NoEndMarker, "end marker is missing"},
        {"/backwards", UpdateStatus::NoEndMarker, "end marker is missing"},
        {"/error", UpdateStatus::DownloadFailed, "HTTP error 500"},
        {"/missing", UpdateStatus::DownloadFailed, "HTTP error 404"},
        {"/stall", UpdateStatus::DownloadFailed, "stopped answering"},
        {"/trickle", UpdateStatus::DownloadFailed, "did not finish within 2 seconds"},
    };
    for (const auto& c : cases) {
        HttpRequest request = UpdateDownload(server.Url(c.path));
        // A stall ends the stalled page soon; only the deadline ends the trickling one.
        if (c.path == "/stall")
            request.stallTimeoutSeconds = 1;
        if (c.path == "/trickle")
            request.deadlineMs = 2000;
        const UpdateResult result = RunWebUpdate(request, catalogue);
        EXPECT_EQ(result.status, c.status) << c.path;
        EXPECT_NE(result.message.find(c.reason), std::string::npos) << result.message;
        EXPECT_NE(result.message.find("left as it was"), std::string::npos) << result.message;
        EXPECT_EQ(dir.Read("Data.txt"), kOld) << c.path;
    }
}

// The catalogue is replaced while the writer is killed: it must be the old or the new file,
// whole. The kill is sent when the temporary file appears, so it lands in the write.
TEST(WebUpdate, KilledWriterLeavesOldOrNewCatalogueWhole) {
    TempDir dir;
    const auto catalogue = dir.Write("Data.txt", kOld);
    std::string block;
    const std::string line = EncodeLine("Channel|http://stream.example.net/live|TV|English");
    while (block.size() < 48 * 1024 * 1024)
        block.append(line).append("\r\n");
    const std::string page = "<data>" + block + "</data>";

    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.Path().c_str(), IN_CREATE), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(ApplyUpdatePage(page, catalogue).Applied() ? 0 : 1);

    alignas(inotify_event) char events[4096];
    ASSERT_GT(read(watch, events, sizeof events), 0);  // waits for the temporary file
    kill(child, SIGKILL);
    close(watch);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);

    EXPECT_TRUE(WIFSIGNALED(status)) << "the write ended before the kill";
    const std::string after = dir.Read("Data.txt");
    EXPECT_TRUE(after == kOld || after == block + "\r\n") << after.size() << " bytes";
}

}  // namespace
}  // namespace quorvel
