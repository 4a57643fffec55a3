// Test main for tests that need a QApplication (windows, widgets, the player).
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    // Listing tests must work without a display. Look before InitGoogleTest, which takes
    // its own flags out of argv.
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0)
            listing = true;
    }
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<QApplication> app;
    if (!listing) {
        app = std::make_unique<QApplication>(argc, argv);
        // libmpv needs the C numeric locale, and Qt sets the user's one.
        std::setlocale(LC_NUMERIC, "C");
    }
    return RUN_ALL_TESTS();
}
