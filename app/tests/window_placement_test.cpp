#include "app/window_placement.h"

#include <gtest/gtest.h>

namespace placement {
namespace {

constexpr Frame kFrame{4, 32, 4, 4};

Bounds Fit(Bounds window, Area screen) {
    return FitToScreen(window, kFrame, screen, 557, 400);
}

TEST(WindowPlacement, AWindowIsMovedAndShrunkOnlyAsFarAsTheScreenRequires) {
    const Area laptop{0, 0, 1280, 800};
    // The default window ends 39 pixels below this screen: it moves up and keeps its size.
    EXPECT_EQ(Fit({100, 100, 584, 703}, laptop), (Bounds{100, 61, 584, 703}));
    EXPECT_EQ(Fit({300, 20, 600, 500}, laptop), (Bounds{300, 20, 600, 500}));
    EXPECT_EQ(Fit({-50, -10, 600, 500}, laptop), (Bounds{0, 0, 600, 500}));
    EXPECT_EQ(Fit({1000, 500, 600, 500}, laptop), (Bounds{672, 264, 600, 500}));
    // Panels take their strips from the area.
    EXPECT_EQ(Fit({1000, 0, 584, 703}, {0, 24, 1240, 776}), (Bounds{648, 24, 584, 703}));
    // Too large: it shrinks to the screen, but not below its minimum; then its corner with
    // the title bar stays on the screen.
    EXPECT_EQ(Fit({100, 100, 584, 703}, {0, 0, 1024, 600}), (Bounds{100, 0, 584, 564}));
    EXPECT_EQ(Fit({0, 0, 3000, 2000}, {0, 0, 1024, 600}), (Bounds{0, 0, 1016, 564}));
    EXPECT_EQ(Fit({300, 300, 584, 703}, {10, 20, 500, 300}), (Bounds{10, 20, 557, 400}));
    // A size below the minimum is placed as the size the window will have.
    EXPECT_EQ(Fit({1000, 700, 10, 10}, laptop), (Bounds{715, 364, 557, 400}));
}

TEST(WindowPlacement, AWindowSavedOnAMonitorThatIsGoneComesBackOnTheMainScreen) {
    const std::vector<Area> two{{0, 0, 1280, 800}, {1280, 0, 1920, 1080}};
    const Bounds on_second{1500, 200, 800, 700};
    // It stays on the monitor that holds most of it...
    EXPECT_EQ(ScreenFor(on_second, kFrame, two, 0).left, 1280);
    EXPECT_EQ(Fit(on_second, ScreenFor(on_second, kFrame, two, 0)), on_second);
    EXPECT_EQ(ScreenFor({1100, 100, 584, 500}, kFrame, two, 0).left, 1280);
    EXPECT_EQ(ScreenFor({-600, 100, 584, 500}, kFrame, {{-1920, 0, 1920, 1080}, two[0]}, 1).left,
              -1920);
    // ...and comes back on the main screen when that monitor is unplugged.
    const Area main = ScreenFor(on_second, kFrame, {two[0]}, 0);
    EXPECT_EQ(Fit(on_second, main), (Bounds{472, 64, 800, 700}));
    EXPECT_EQ(ScreenFor({5000, 5000, 584, 703}, kFrame, two, 1).left, 1280);
}

}  // namespace
}  // namespace placement
