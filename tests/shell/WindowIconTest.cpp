#include "shell/modIcon.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QWidget>

namespace quorvel {
namespace {

TEST(WindowIcon, AAAHoldsEverySizeAndGoesToTheWindowAndItsOwner) {
    const QIcon icon = IconOfResources("AAA");
    QList<QSize> sizes;
    for (const int s : {16, 24, 32, 48, 64, 128})
        sizes.append(QSize(s, s));
    EXPECT_EQ(icon.availableSizes(), sizes);
    // Each size is its own drawing, not one picture scaled.
    EXPECT_EQ(icon.pixmap(16).size(), QSize(16, 16));
    EXPECT_TRUE(IconOfResources("BBB").isNull());

    QWidget owner;
    QWidget window(&owner, Qt::Window);
    SetWindowIcon(&window, "AAA", IconTarget::WindowOnly);
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_TRUE(owner.windowIcon().availableSizes().isEmpty());
    SetWindowIcon(&window, "AAA", IconTarget::AlsoOwner);
    EXPECT_EQ(owner.windowIcon().availableSizes(), sizes);
    // A name the resources lack clears the icon.
    SetWindowIcon(&window, "missing", IconTarget::WindowOnly);
    EXPECT_TRUE(window.windowIcon().availableSizes().isEmpty());
}

TEST(WindowIcon, EveryPictureTheWindowsAskForIsInTheResources) {
    for (const char* name :
         {"tv", "radio", "video", "favorites", "files", "sports", "extras", "xxx"}) {
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/categories/%1.png").arg(name))) << name;
    }
    for (const char* key :
         {"mnuFileItem0", "mnuFileItem2", "mnuCatItem0", "mnuCatItem1", "mnuCatItem2",
          "mnuCatItem3", "mnuCatItem4", "mnuLanguageItem0", "mnuHelpItem0", "mnuAboutItem0"}) {
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/menu/%1.png").arg(key))) << key;
    }
    EXPECT_TRUE(QFile::exists(":/splash/splash.png"));
    EXPECT_TRUE(QFile::exists(":/about/banner.png"));
}

}  // namespace
}  // namespace quorvel
