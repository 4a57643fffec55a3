// Test main for tests that need a QApplication (windows, widgets, the player).
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "TempDir.h"

int main(int argc, char** argv) {
    // Listing tests must work without a display. Look before InitGoogleTest, which takes
    // its own flags out of argv.
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0)
            listing = true;
    }
    ::testing::InitGoogleTest(&argc, argv);
    // The windows and programs of these tests live apart from the user's session: the
    // single-instance lock goes to a runtime folder of this process, and the session bus
    // (where a second start hands over) is one that is not there; a test that needs a bus
    // brings its own. A Quorvel that the developer has open meanwhile is neither met nor
    // disturbed, and tests run side by side never meet either.
    const quorvel::test::TempDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (runtime / "no-bus").string()).c_str(), 1);
    std::unique_ptr<QApplication> app;
    if (!listing) {
        app = std::make_unique<QApplication>(argc, argv);
        // libmpv needs the C numeric locale, and Qt sets the user's one.
        std::setlocale(LC_NUMERIC, "C");
    }
    return RUN_ALL_TESTS();
}
