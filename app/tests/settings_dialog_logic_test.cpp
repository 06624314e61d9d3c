// The settings dialog's opening and acceptance against a real configuration file and an
// autorun double, and how the main window's timers follow an acceptance.

#include "app/settings_dialog_logic.h"

#include <gtest/gtest.h>

#include "platform/doubles/fake_autorun.h"
#include "platform/doubles/virtual_clock.h"
#include "platform/tests/temp_folder.h"

namespace {

using namespace settings_dialog;

class SettingsDialogLogic : public ::testing::Test {
  protected:
    std::string Path() const { return folder_.File("incubator-monitor.ini"); }
    platform::IniFile Ini() const { return platform::IniFile(Path()); }

    TempFolder folder_;
    platform::FakeAutorun autorun_;
    ProgramSettings memory_;
};

TEST_F(SettingsDialogLogic, OpeningShowsTheStoredKeysAndTheSoundInMemory) {
    Spit(Path(),
         "[ComPort1]\nSignalOffData=1\nSignalOffDataSound=1\nOpenStart=1\n"
         "[Alarm]\nTimeSound=7\nT2_enable=0\nSound=stored.wav\n[LogFile]\nTime=25\n");
    memory_.Sound = "in-memory.wav";
    memory_.AutosaveMinutes = 10;
    autorun_.registered = true;

    const DialogState state = Open(Ini(), autorun_, memory_);

    EXPECT_TRUE(state.Autorun);
    EXPECT_TRUE(state.keys.OpenStart);
    EXPECT_TRUE(state.keys.SignalOffDataSound);
    EXPECT_TRUE(SoundBoxEnabled(state));
    EXPECT_FALSE(state.keys.T2_enable);
    EXPECT_TRUE(state.keys.Okruglenie) << "rounding defaults to on";
    EXPECT_EQ(state.keys.TimeSound, 7);
    EXPECT_EQ(state.keys.AutosaveMinutes, 25);
    EXPECT_EQ(state.SoundFile, "in-memory.wav") << "the sound in force, not the stored one";
    EXPECT_EQ(memory_.AutosaveMinutes, 25) << "opening takes the stored period at once";
    EXPECT_EQ(memory_.Sound, "in-memory.wav");
}

TEST_F(SettingsDialogLogic, OpeningWithoutTheWarningUnticksItsSoundAndLimitsThePeriods) {
    Spit(Path(),
         "[ComPort1]\nSignalOffData=0\nSignalOffDataSound=1\n"
         "[Alarm]\nTimeSound=0\n[LogFile]\nTime=-5\n");
    DialogState state = Open(Ini(), autorun_, memory_);
    EXPECT_FALSE(state.keys.SignalOffDataSound);
    EXPECT_FALSE(SoundBoxEnabled(state));
    EXPECT_EQ(state.keys.TimeSound, 1);
    EXPECT_EQ(state.keys.AutosaveMinutes, 0);
    EXPECT_EQ(memory_.AutosaveMinutes, 0) << "the period shown is the period in memory";

    Spit(Path(), "[Alarm]\nTimeSound=250\n[LogFile]\nTime=0x100\n");
    state = Open(Ini(), autorun_, memory_);
    EXPECT_EQ(state.keys.TimeSound, 99);
    EXPECT_EQ(state.keys.AutosaveMinutes, 60);
}

TEST_F(SettingsDialogLogic, AutosaveLabelWarnsOnlyWithoutAutosave) {
    EXPECT_TRUE(AutosaveLabelWarns(0));
    EXPECT_FALSE(AutosaveLabelWarns(1));
    EXPECT_FALSE(AutosaveLabelWarns(60));
}

DialogState Changed() {
    DialogState s;
    s.keys.OpenStart = true;
    s.keys.SignalOffData = true;
    s.keys.SignalOffDataSound = true;
    s.keys.StartInTrey = true;
    s.keys.MinToTrey = true;
    s.keys.TimeSound = 5;
    s.keys.AutosaveMinutes = 0;
    s.keys.T1_enable = false;
    s.keys.HM_enable = false;
    s.keys.Okruglenie = false;
    s.keys.ShowWindow = true;
    s.keys.SHT10 = true;
    s.Autorun = true;
    s.SoundFile = "/snd/new.wav";
    return s;
}

TEST_F(SettingsDialogLogic, AcceptingWritesEveryKeyRegistersAndHandsOverEverySetting) {
    Spit(Path(), "[Alarm]\nSound=old.wav\nT1_HI=400\n");
    memory_.Sound = "old.wav";
    platform::IniFile ini = Ini();
    const Acceptance a = Accept(ini, autorun_, Changed(), memory_);

    EXPECT_TRUE(a.Closes());
    EXPECT_EQ(config::ReadSettingsDialogKeys(ini), Changed().keys);
    EXPECT_EQ(ini.ReadString("Alarm", "Sound", ""), "old.wav") << "the sound is written at close";
    EXPECT_EQ(ini.ReadInteger("Alarm", "T1_HI", 0), 400);
    EXPECT_TRUE(autorun_.registered);

    ASSERT_TRUE(a.apply);
    ProgramSettings expected;
    expected.T1_enable = false;
    expected.T2_enable = true;
    expected.HM_enable = false;
    expected.SignalOffData = true;
    expected.SignalOffDataSound = true;
    expected.Okruglenie = false;
    expected.ShowWindow = true;
    expected.SHT10 = true;
    expected.Sound = "/snd/new.wav";
    expected.TimeSound = 5;
    expected.AutosaveMinutes = 0;
    EXPECT_EQ(a.apply->settings, expected);
    EXPECT_TRUE(a.apply->MinToTrey);

    DialogState off = Changed();
    off.Autorun = false;
    EXPECT_TRUE(Accept(ini, autorun_, off, memory_).Closes());
    EXPECT_FALSE(autorun_.registered);
    EXPECT_EQ(autorun_.unregistrations, 1);
}

TEST_F(SettingsDialogLogic, ARefusedWriteChangesNothingAndLeavesAutorunAlone) {
    platform::IniFile ini(folder_.File("missing-folder/incubator-monitor.ini"));
    const Acceptance a = Accept(ini, autorun_, Changed(), memory_);
    ASSERT_TRUE(a.error);
    EXPECT_EQ(*a.error, "Unable to write to " + ini.Path());
    EXPECT_FALSE(a.Closes());
    EXPECT_FALSE(a.apply);
    EXPECT_EQ(autorun_.registrations, 0);
    EXPECT_TRUE(folder_.Names().empty());
}

TEST_F(SettingsDialogLogic, ARefusedAutorunComesAfterTheKeysAndKeepsTheSound) {
    memory_.Sound = "old.wav";
    autorun_.failure = "Failed to create key /cfg/autostart";
    platform::IniFile ini = Ini();
    const Acceptance a = Accept(ini, autorun_, Changed(), memory_);

    ASSERT_TRUE(a.error);
    EXPECT_EQ(*a.error, "Failed to create key /cfg/autostart");
    EXPECT_FALSE(a.Closes());
    EXPECT_EQ(config::ReadSettingsDialogKeys(ini), Changed().keys) << "the keys stay written";
    ASSERT_TRUE(a.apply) << "the program follows what was written";
    EXPECT_EQ(a.apply->settings.AutosaveMinutes, 0);
    EXPECT_TRUE(a.apply->settings.SHT10);
    EXPECT_EQ(a.apply->settings.Sound, "old.wav");
}

TEST(SettingsDialogTimers, AutosaveFollowsTheNewPeriodAndStopsAtZero) {
    platform::VirtualClock clock;
    auto save = clock.CreateTimer();
    auto sound = clock.CreateTimer();
    int saves = 0;
    save->SetTickHandler([&] { ++saves; });
    sound->SetTickHandler([] {});
    save->SetInterval(10 * 60000);
    save->Start();
    sound->SetInterval(3000);
    sound->Start();

    clock.Advance(2 * 60000);
    ProgramSettings s;
    s.AutosaveMinutes = 5;
    s.TimeSound = 7;
    ApplyTimers(s, *save, *sound);
    EXPECT_EQ(sound->Interval(), 7000u);
    clock.Advance(5 * 60000 - 1);
    EXPECT_EQ(saves, 0);
    clock.Advance(1);
    EXPECT_EQ(saves, 1) << "five minutes after the acceptance";
    clock.Advance(5 * 60000);
    EXPECT_EQ(saves, 2);

    s.AutosaveMinutes = 0;
    ApplyTimers(s, *save, *sound);
    EXPECT_FALSE(save->IsActive());
    clock.Advance(60 * 60000);
    EXPECT_EQ(saves, 2);

    s.AutosaveMinutes = 5;
    ApplyTimers(s, *save, *sound);
    EXPECT_TRUE(save->IsActive()) << "the same period as before the pause still starts it";
    clock.Advance(5 * 60000);
    EXPECT_EQ(saves, 3);
}

TEST(SettingsDialogTimers, AnUnchangedPeriodKeepsItsCount) {
    platform::VirtualClock clock;
    auto save = clock.CreateTimer();
    auto sound = clock.CreateTimer();
    int saves = 0, beeps = 0;
    save->SetTickHandler([&] { ++saves; });
    sound->SetTickHandler([&] { ++beeps; });
    save->SetInterval(10 * 60000);
    save->Start();
    sound->SetInterval(3000);
    sound->Start();

    clock.Advance(9 * 60000 + 1000);
    const std::size_t beeps_before = beeps;
    ProgramSettings s;  // 10 minutes, 3 seconds
    ApplyTimers(s, *save, *sound);
    clock.Advance(60000 - 1000);
    EXPECT_EQ(saves, 1) << "accepting the same period does not hold the autosave off";
    EXPECT_EQ(beeps, beeps_before + 20);
}

}  // namespace
