// MIDI files through the real engine: rendered by FluidSynth behind the engine's back, and
// the private way in stays closed to addresses from outside.
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include "TempDir.h"
#include "TestMidi.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

#include <cstdlib>
#include <memory>

namespace quorvel {
namespace {

class MidiPlaybackTest : public ::testing::Test {
protected:
    MidiPlaybackTest() {
        SessionOptions options;
        options.video = VideoOutput::Null;
        options.audioOutput = "null";
        engine = std::make_unique<PlayerEngine>(options);
    }

    // Opens the address and waits for Started or Failed; the reason when it failed.
    QString Open(const std::string& address) {
        QEventLoop loop;
        QString outcome = QStringLiteral("no answer");
        QObject::connect(engine.get(), &PlayerEngine::Started, &loop, [&] {
            outcome.clear();
            loop.quit();
        });
        QObject::connect(engine.get(), &PlayerEngine::Failed, &loop,
                         [&](const QString&, const QString& reason) {
                             outcome = reason;
                             loop.quit();
                         });
        QTimer::singleShot(15000, &loop, &QEventLoop::quit);  // only against a hang
        engine->Open(QString::fromStdString(address));
        // A refused address fails within Open itself.
        if (outcome == QStringLiteral("no answer"))
            loop.exec();
        return outcome;
    }

    std::unique_ptr<PlayerEngine> engine;
    test::TempDir dir;
};

TEST_F(MidiPlaybackTest, LocalMidiFilesPlayWithTheirLength) {
    // A note from 0.2 s to 1.2 s: the sound lasts that plus the fade-out after the last note.
    const std::string song = test::MidiWithNote(0.2, 1.0);
    const auto mid = dir.Write("Song.MID", song);
    const auto rmi = dir.Write("song.rmi", test::RmidAround(song));
    const auto list = dir.Write("list.m3u", "#EXTM3U\n" + rmi.string() + "\n");
    for (const auto& path : {mid, rmi, list}) {
        MpvSession& session = engine->Session();
        QSignalSpy duration(&session, &MpvSession::DurationChanged);
        QSignalSpy position(&session, &MpvSession::PositionChanged);
        ASSERT_EQ(Open(path.string()).toStdString(), "") << path;
        while (!(session.Duration() > 0))
            ASSERT_TRUE(duration.wait(8000)) << path;
        EXPECT_NEAR(session.Duration(), 3.2, 0.05) << path;
        while (!(session.Position() > 0.3))
            ASSERT_TRUE(position.wait(8000)) << path << " did not advance";
    }
}

TEST_F(MidiPlaybackTest, BrokenFilesFailWithTheReasonAndThePrivateSchemeIsRefused) {
    const auto broken = dir.Write("broken.mid", "nothing of a MIDI file");
    EXPECT_EQ(Open(broken.string()).toStdString(), "This is not a MIDI file.");

    // The scheme the engine plays MIDI files through cannot be named from outside: not as
    // an address, not as an entry of a local playlist.
    const QString direct = Open("quorvel-midi://00000000000000000000000000000000");
    EXPECT_TRUE(direct.contains("quorvel-midi://")) << direct.toStdString();
    const auto list = dir.Write("list.m3u", "quorvel-midi://00000000000000000000000000000000\n");
    EXPECT_TRUE(Open(list.string()).contains("are not played"));

    const auto song = dir.Write("song.midi", test::MidiWithNote(0.1, 0.5));
    setenv("QUORVEL_MIDI_SOUNDFONT", (dir / "none.sf2").c_str(), 1);
    const QString noFont = Open(song.string());
    unsetenv("QUORVEL_MIDI_SOUNDFONT");
    EXPECT_TRUE(noFont.startsWith("No MIDI sound font is installed")) << noFont.toStdString();
}

}  // namespace
}  // namespace quorvel
