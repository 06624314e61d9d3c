// How long a warning stays in the status bar when the desktop has no notification area and
// no notification service.
#include "app/warning_router.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/doubles/recording_desktop_notifier.h"
#include "platform/doubles/recording_tray_shell.h"
#include "platform/doubles/virtual_clock.h"

namespace {

class WarningRouterTest : public ::testing::Test {
  protected:
    WarningRouterTest() {
        shell.SetAvailable(false);  // no notification area: no balloons
        tray.SetIconVisible(true);
    }

    platform::VirtualClock clock;
    platform::RecordingTrayShell shell{&clock};
    TTrayIcon tray{shell.Handle(), clock};
    platform::RecordingDesktopNotifier notifier;
    std::vector<std::string> status;  // every text the status bar was given
    WarningRouter router{tray, &notifier,
                         [this](const std::string& line) { status.push_back(line); }, clock};
};

TEST_F(WarningRouterTest, TheStatusBarsWarningGoesWhenItsTimeIsUp) {
    notifier.available = false;  // no notification service either
    router.Warn({Severity::kWarning, "Внимание!", "Нет данных\r\nот контроллера", 10});
    ASSERT_EQ(status, std::vector<std::string>{"Внимание! — Нет данных от контроллера"});
    clock.Advance(6000);
    router.Warn({Severity::kWarning, "Внимание!", "Порт закрыт",
                 10});  // a newer warning counts its own time
    clock.Advance(9999);
    EXPECT_EQ(status.back(), "Внимание! — Порт закрыт");
    clock.Advance(1);
    EXPECT_EQ(status.back(), "");
    EXPECT_EQ(status.size(), 3u);
    clock.Advance(60000);
    EXPECT_EQ(status.size(), 3u);  // cleared once

    router.Warn({Severity::kWarning, "Внимание!", "Без срока", 0});  // the desktop's usual time
    clock.Advance(10000);
    EXPECT_EQ(status.back(), "");
}

}  // namespace
