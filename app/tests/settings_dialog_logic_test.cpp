// What the settings dialog's window tests do not reach: stored values outside the up-downs'
// ranges, and the main window's timers when an acceptance keeps or pauses a period.

#include "app/settings_dialog_logic.h"

#include <gtest/gtest.h>

#include "platform/doubles/fake_autorun.h"
#include "platform/doubles/virtual_clock.h"
#include "testing/temp_folder.h"

namespace {

using namespace settings_dialog;

TEST(SettingsDialogOpening, StoredPeriodsOutsideTheRangesShowAtTheNearestEnd) {
    TempFolder folder;
    platform::FakeAutorun autorun;
    const WindowSettings window;
    const platform::IniFile ini(folder.File("incubator-monitor.ini"));
    Spit(ini.Path(), "[Alarm]\nTimeSound=0\n[LogFile]\nTime=-5\n");
    DialogState state = Open(ini, autorun, window);
    EXPECT_EQ(state.keys.TimeSound, 1);
    EXPECT_EQ(state.keys.AutosaveMinutes, 0) << "the period shown becomes the period in force";

    Spit(ini.Path(), "[Alarm]\nTimeSound=250\n[LogFile]\nTime=0x100\n");
    state = Open(ini, autorun, window);
    EXPECT_EQ(state.keys.TimeSound, 99);
    EXPECT_EQ(state.keys.AutosaveMinutes, 60);
}

class SettingsDialogTimers : public ::testing::Test {
  protected:
    SettingsDialogTimers() {
        save->SetTickHandler([this] { ++saves; });
        sound->SetTickHandler([this] { ++beeps; });
        save->SetInterval(10 * 60000);
        save->Start();
        sound->SetInterval(3000);
        sound->Start();
    }
    platform::VirtualClock clock;
    std::unique_ptr<platform::Timer> save = clock.CreateTimer();
    std::unique_ptr<platform::Timer> sound = clock.CreateTimer();
    int saves = 0;
    int beeps = 0;
};

TEST_F(SettingsDialogTimers, AnUnchangedPeriodKeepsItsCount) {
    clock.Advance(9 * 60000 + 1000);
    const int beeps_before = beeps;
    ApplyTimers(AcceptedSettings{}, *save, *sound);  // 10 minutes, 3 seconds
    clock.Advance(60000 - 1000);
    EXPECT_EQ(saves, 1) << "accepting the same period does not hold the autosave off";
    EXPECT_EQ(beeps, beeps_before + 20);
}

TEST_F(SettingsDialogTimers, APausedAutosaveRestartsOnItsOldPeriod) {
    AcceptedSettings s;
    s.engine.AutosaveMinutes = 0;
    ApplyTimers(s, *save, *sound);
    clock.Advance(60 * 60000);
    EXPECT_EQ(saves, 0);
    s.engine.AutosaveMinutes = 10;
    ApplyTimers(s, *save, *sound);
    clock.Advance(10 * 60000);
    EXPECT_EQ(saves, 1);
}

}  // namespace
