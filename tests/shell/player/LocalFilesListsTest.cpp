#include "shell/player/DirListBox.h"
#include "shell/player/DriveListBox.h"
#include "shell/player/FileListBox.h"
#include "shell/player/FileNameText.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <fstream>

namespace quorvel {
namespace {

QStringList Texts(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text().trimmed();
    return texts;
}

TEST(LocalFilesLists, FileListShowsMatchingFilesAndClickGivesTheJoinedPath) {
    test::TempDir dir;
    for (const char* name :
         {"Song.MP3", "clip.wmv", "movie.mkv.part", "readme.txt", "show.DVR-MS"}) {
        dir.Write(name, "x");
    }
    FileListBox files;
    EXPECT_EQ(files.objectName(), "File1");
    QSignalSpy clicked(&files, &FileListBox::fileClicked);
    files.setPath(QString::fromStdString(dir.Path().string()));
    EXPECT_EQ(Texts(files), (QStringList{"clip.wmv", "show.DVR-MS", "Song.MP3"}));

    files.resize(300, 200);
    files.show();
    const QRect row = files.visualItemRect(files.item(2));
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toString().toStdString(), (dir / "Song.MP3").string());
    EXPECT_EQ(files.fileName(), "Song.MP3");
    // Arrows move the selection without playing; Enter plays.
    QTest::keyClick(&files, Qt::Key_Up);
    EXPECT_EQ(clicked.count(), 1);
    QTest::keyClick(&files, Qt::Key_Return);
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked.at(1).at(0).toString().toStdString(), (dir / "show.DVR-MS").string());

    // A new file shows after refresh; a folder that cannot be listed leaves the list as it was.
    dir.Write("new.wav", "x");
    files.refresh();
    const QStringList listed = Texts(files);
    EXPECT_TRUE(listed.contains("new.wav"));
    EXPECT_FALSE(files.setPath(QString::fromStdString((dir / "absent").string())));
    EXPECT_EQ(files.path().toStdString(), dir.Path().string());
    EXPECT_EQ(Texts(files), listed);
}

TEST(LocalFilesLists, FolderListMovesOnlyToFoldersThatCanBeListed) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "Music" / "Live");
    std::filesystem::create_directories(dir / "video");
    std::filesystem::create_directories(dir / ".hidden");
    const QString root = QString::fromStdString(dir.Path().string());
    DirListBox folders;
    EXPECT_EQ(folders.objectName(), "Dir1");
    QSignalSpy changed(&folders, &DirListBox::pathChanged);
    ASSERT_TRUE(folders.setPath(root));
    ASSERT_EQ(changed.count(), 1);
    const QStringList texts = Texts(folders);
    EXPECT_EQ(texts.first(), "/");
    EXPECT_EQ(texts.mid(texts.size() - 3), (QStringList{QDir(root).dirName(), "Music", "video"}));
    EXPECT_EQ(folders.currentItem()->text().trimmed(), QDir(root).dirName());

    // Entering a folder from the list changes the path.
    for (int i = 0; i < folders.count(); ++i) {
        if (folders.item(i)->text().trimmed() == "Music") {
            Q_EMIT folders.itemActivated(folders.item(i));
        }
    }
    EXPECT_EQ(folders.path(), root + "/Music");
    EXPECT_EQ(changed.count(), 2);
    EXPECT_TRUE(Texts(folders).contains("Live"));

    EXPECT_FALSE(folders.setPath(root + "/absent"));
    EXPECT_FALSE(folders.setPath(QString()));
    EXPECT_EQ(folders.path(), root + "/Music");
    EXPECT_EQ(changed.count(), 2);
}

TEST(LocalFilesLists, DrivesListMountedVolumesAndEachDriveKeepsItsFolder) {
    DriveListBox drives;
    EXPECT_EQ(drives.objectName(), "Drive1");
    ASSERT_GT(drives.count(), 0);
    EXPECT_TRUE(drives.findData(QStringLiteral("/")) >= 0 || drives.count() > 0);
    for (int i = 0; i < drives.count(); ++i) {
        const QString root = drives.itemData(i).toString();
        EXPECT_FALSE(root.startsWith("/proc") || root.startsWith("/sys")) << root.toStdString();
        EXPECT_TRUE(QFileInfo(root).isDir()) << root.toStdString();
    }
    // The volume that holds a folder is the one chosen for it.
    test::TempDir dir;
    ASSERT_TRUE(drives.setDrive(QString::fromStdString(dir.Path().string())));
    const QString drive = drives.drive();
    EXPECT_TRUE(QString::fromStdString(dir.Path().string()).startsWith(drive));
    // A stored drive comes back only while something is mounted exactly there: "/" holds
    // every path, but an unplugged stick is not "/".
    EXPECT_FALSE(drives.restoreDrive(drive + "/no/such/stick"));
    EXPECT_EQ(drives.drive(), drive);
    EXPECT_TRUE(drives.restoreDrive(drive));

    DirListBox folders;
    QObject::connect(&drives, &DriveListBox::driveChanged, &folders, &DirListBox::setDrive);
    ASSERT_TRUE(folders.setDrive(drive));
    EXPECT_EQ(folders.path(), QDir::cleanPath(drive));
    ASSERT_TRUE(folders.setPath(QString::fromStdString(dir.Path().string())));
    // Away to another drive that is not ready, and back: the folder list stays, then
    // returns to the folder last used on the drive.
    EXPECT_FALSE(folders.setDrive("/no/such/drive"));
    EXPECT_EQ(folders.path().toStdString(), dir.Path().string());
    ASSERT_TRUE(folders.setDrive(drive));
    EXPECT_EQ(folders.path().toStdString(), dir.Path().string());
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

TEST(LocalFilesLists, NamesThatAreNotUtf8KeepTheirBytes) {
    test::TempDir dir;
    const std::string latin1Folder = "M\xFCsik";
    const std::string latin1File = "Caf\xE9 \xC3(.mp3";
    std::filesystem::create_directories(dir / latin1Folder);
    std::ofstream(dir / latin1Folder / latin1File) << "x";
    for (const std::string& name : {latin1Folder, latin1File, std::string("\xE2\x82\xAC ok"),
                                    std::string("\xF0\x9F\x8E\xB5"), std::string("\xED\xA0\x80")}) {
        EXPECT_EQ(TextToFileName(FileNameToText(name)), name);
    }
    EXPECT_EQ(FileNameToText("\xE2\x82\xAC"), QString(QChar(0x20AC)));

    DirListBox folders;
    ASSERT_TRUE(folders.setPath(QString::fromStdString(dir.Path().string())));
    ASSERT_TRUE(folders.setPath(FileNameToText((dir / latin1Folder).string())));
    FileListBox files;
    QSignalSpy clicked(&files, &FileListBox::fileClicked);
    files.setPath(folders.path());
    ASSERT_EQ(files.count(), 1);
    files.resize(300, 200);
    files.show();
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {},
                      files.visualItemRect(files.item(0)).center());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(TextToFileName(clicked.at(0).at(0).toString()),
              (dir / latin1Folder / latin1File).string());
}

}  // namespace
}  // namespace quorvel
