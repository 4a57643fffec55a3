// The real program, started as the start command starts it (its own folder beside the
// executable, settings hives of the test's own), clicked on the test's X display.
#include "DesktopDriver.h"
#include "LocalHttpServer.h"
#include "QtTestProcess.h"
#include "ScopedHives.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "catalogue/LineCodec.h"
#include "shell/Form1.h"
#include "shell/widgets/ListView.h"

#include <gtest/gtest.h>

#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <random>

namespace quorvel {
namespace {

constexpr int kGuardMs = 20000;

// Where things are inside the main window, measured on a main window of this process: the
// program draws the same window with the same code and fonts on the same display.
struct MainWindowPoints {
    QPoint firstChannel, addToFavorites, favoritesButton, firstFavorite;
};

QPoint CenterIn(QWidget* window, QWidget* widget, QRect rect) {
    return widget->mapTo(window, rect.center());
}

MainWindowPoints MeasureMainWindow() {
    Form1Options options;
    options.createPlayer = false;
    Form1 form(options);
    form.ListView1->Rows().Add("row");
    form.ListView2->Rows().Add("row");
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    MainWindowPoints points;
    auto firstRow = [&form](ListView* list) {
        return CenterIn(&form, list->viewport(), list->visualRect(list->model()->index(0, 0)));
    };
    points.firstChannel = firstRow(form.ListView1);
    points.addToFavorites = CenterIn(&form, form.cmdFav, form.cmdFav->rect());
    points.favoritesButton = CenterIn(&form, form.cmdFavorites, form.cmdFavorites->rect());
    form.cmdFavorites_Click();
    points.firstFavorite = firstRow(form.ListView2);
    form.hide();
    return points;
}

class WholeProgram : public ::testing::Test {
protected:
    void SetUp() override {
        m_tone = test::TestMediaBytes(test::MediaKind::Wav);
        ASSERT_FALSE(m_tone.empty()) << "ffmpeg could not make the test tone";
        m_server.Serve("/tone.wav", m_tone, "audio/wav");
        ASSERT_TRUE(m_driver.Ready()) << "no X display with XTEST";
        m_points = MeasureMainWindow();

        std::filesystem::create_directory(App());
        std::filesystem::copy_file(std::filesystem::path(QUORVEL_BIN_DIR) / "quorvel",
                                   App() / "quorvel");
        std::ofstream(App() / "Data.txt", std::ios::binary)
            << EncodeLine("Test Tone|" + m_server.Url("/tone.wav") + "|TV|English") << "\r\n"
            << EncodeLine("Other|http://127.0.0.1:1/x|Radio|English") << "\r\n";
        LoadProductInfo();
        m_caption = Branding().ProgramName + " by " + Branding().CompanyName;
    }
    void TearDown() override { Stop(); }

    std::filesystem::path App() const { return m_hives.Dir().Path() / "app"; }

    // Starts the program and waits for its main window.
    unsigned long Start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_hives.Dir().Path().string()));
        env.insert("XDG_DATA_HOME", QString::fromStdString((m_hives.Dir() / "data").string()));
        m_program.setProcessEnvironment(env);
        m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        test::EndWithTest(m_program);
        m_program.start(QString::fromStdString((App() / "quorvel").string()), {});
        EXPECT_TRUE(m_program.waitForStarted(kGuardMs));
        return m_driver.WaitForWindow(m_caption, kGuardMs);
    }
    void Stop() {
        if (m_program.state() == QProcess::NotRunning)
            return;
        // Ended outright: what these tests need is on disk already, and a loaded machine
        // once let a polite request go unanswered for longer than the guard.
        m_program.kill();
        m_program.waitForFinished(kGuardMs);
    }

    std::string m_tone;
    test::LocalHttpServer m_server;
    test::ScopedHives m_hives;
    test::DesktopDriver m_driver;
    MainWindowPoints m_points;
    std::string m_caption;
    QProcess m_program;
};

TEST_F(WholeProgram, ClickingAChannelPlaysItsStream) {
    const unsigned long window = Start();
    ASSERT_NE(window, 0u) << "the main window did not appear";
    m_driver.Click(window, m_points.firstChannel.x(), m_points.firstChannel.y());
    EXPECT_TRUE(m_server.WaitForRequests("/tone.wav", 1, kGuardMs))
        << "the player did not open the clicked channel";
    EXPECT_EQ(m_program.state(), QProcess::Running);
}

TEST_F(WholeProgram, AFavoriteAddedBeforeARestartPlaysAfterIt) {
    unsigned long window = Start();
    ASSERT_NE(window, 0u) << "the main window did not appear";
    QFileSystemWatcher watcher({QString::fromStdString(App().string())});
    QSignalSpy folderChanged(&watcher, &QFileSystemWatcher::directoryChanged);
    m_driver.Click(window, m_points.firstChannel.x(), m_points.firstChannel.y());
    ASSERT_TRUE(m_server.WaitForRequests("/tone.wav", 1, kGuardMs));
    m_driver.Click(window, m_points.addToFavorites.x(), m_points.addToFavorites.y());
    while (!std::filesystem::exists(App() / "Favorites.txt"))
        ASSERT_TRUE(folderChanged.wait(kGuardMs)) << "no favorite was saved";
    Stop();

    window = Start();
    ASSERT_NE(window, 0u) << "the main window did not come back";
    const int before = m_server.RequestCount("/tone.wav");
    m_driver.Click(window, m_points.favoritesButton.x(), m_points.favoritesButton.y());
    m_driver.Click(window, m_points.firstFavorite.x(), m_points.firstFavorite.y());
    EXPECT_TRUE(m_server.WaitForRequests("/tone.wav", before + 1, kGuardMs))
        << "the favorite did not play";
}

// A machine-wide settings file is shared by every user: one damaged one must not stop them all.
TEST_F(WholeProgram, StartsOverADamagedMachineWideSettingsFileAndSaysSo) {
    std::string noise(4096, '\0');
    std::mt19937 random(11);
    for (char& c : noise)
        c = static_cast<char>(random());
    std::ofstream(m_hives.MachineHive(), std::ios::binary) << noise;
    ASSERT_NE(Start(), 0u) << "the main window did not appear";
    EXPECT_NE(m_driver.WaitForWindow(Branding().ProgramName, kGuardMs), 0u)
        << "no message about the settings file";
    EXPECT_EQ(m_program.state(), QProcess::Running);
}

}  // namespace
}  // namespace quorvel
