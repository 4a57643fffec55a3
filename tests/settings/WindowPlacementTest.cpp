#include "settings/WindowPlacement.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(WindowPlacement, ReadsOnlyWhatItWritesWithinTheSizesOfAWindow) {
    const WindowPlacement placement{{-1200, 40, 1034, 675}, true};
    EXPECT_EQ(FormatWindowPlacement(placement), "-1200,40,1034,675,1");
    EXPECT_EQ(ParseWindowPlacement("-1200,40,1034,675,1"), placement);
    EXPECT_EQ(ParseWindowPlacement("0,0,200,32767,0"),
              (WindowPlacement{{0, 0, kMinWindowSide, kMaxWindowSide}, false}));
    for (const char* damaged :
         {"", "0,0,1034,675", "0,0,1034,675,0,9", "0,0,199,675,0", "0,0,1034,32768,0",
          "0,0,1034,675,2", "0,0,-1034,675,0", " 0,0,1034,675,0", "0,0,1034,675,0 ",
          "+0,0,1034,675,0", "0;0;1034;675;0", "0,0,1034.5,675,0", "99999999999,0,1034,675,0",
          "0,-32768,1034,675,0", "a,b,c,d,e"}) {
        EXPECT_FALSE(ParseWindowPlacement(damaged)) << damaged;
    }
}

TEST(WindowPlacement, TitleBarMustBeReachableOnSomeScreen) {
    const std::vector<PixelRect> screens{{0, 0, 1920, 1050}, {1920, 0, 1280, 1024}};
    struct Row {
        PixelRect window;
        bool reachable;
    };
    for (const Row& row : std::vector<Row>{
             {{100, 100, 1034, 675}, true},
             {{2000, 500, 800, 600}, true},     // on the second screen
             {{-934, 10, 1034, 675}, true},     // 100 px showing at the left edge
             {{-935, 10, 1034, 675}, false},    // one less
             {{3100, 10, 800, 600}, true},      // 100 px at the right edge
             {{3101, 10, 800, 600}, false},     // one less
             {{100, 1034, 1034, 675}, true},    // 16 px of its top band on the screen
             {{100, 1035, 1034, 675}, false},   // 15
             {{100, -20, 1034, 675}, false},    // title bar above the top: 12 px left
             {{5000, 5000, 1034, 675}, false},  // a screen no longer attached
             {{-32767, -32767, 32767, 32767}, false},
         }) {
        EXPECT_EQ(TitleBarReachable(row.window, screens), row.reachable)
            << row.window.left << "," << row.window.top;
    }
    EXPECT_FALSE(TitleBarReachable({0, 0, 800, 600}, {}));
}

}  // namespace
}  // namespace quorvel
