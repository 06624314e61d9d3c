// The settings dialog driven as a user drives it: boxes clicked, numbers typed, "Да" pressed
// or the close box used; the configuration in a temporary folder, the program's settings in
// force and timers beside it (as the main window keeps them), virtual time for the test
// playback.

#include "app/qt/form_settings.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <vector>

#include "platform/doubles/fake_autorun.h"
#include "platform/doubles/recording_sound.h"
#include "platform/doubles/scripted_dialogs.h"
#include "platform/doubles/virtual_clock.h"
#include "platform/posix/xdg_autorun.h"
#include "platform/qt/tests/qt_test_app.h"
#include "testing/temp_folder.h"
#include "ui_form_settings.h"

namespace {

using settings_dialog::AcceptedSettings;

class FormSettingsTest : public ::testing::Test {
  protected:
    FormSettingsTest() {
        main_window.setGeometry(50, 50, 700, 540);
        main_window.show();
        save_file->SetTickHandler([this] { ++autosaves; });
        alarm_sound->SetTickHandler([] {});
        save_file->SetInterval(10 * 60000);
        save_file->Start();
        alarm_sound->SetInterval(3000);
    }

    std::unique_ptr<TFormSettings> Open(platform::Autorun& with) {
        auto form = std::make_unique<TFormSettings>(
            FormSettingsContext{config_path, window, with, dialogs, sound, clock,
                                [this](int minutes) { engine.AutosaveMinutes = minutes; },
                                [this](const AcceptedSettings& a) {
                                    applied.push_back(a);
                                    engine = a.engine;
                                    window = a.window;
                                    settings_dialog::ApplyTimers(a, *save_file, *alarm_sound);
                                }},
            &main_window);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }
    std::unique_ptr<TFormSettings> Open() { return Open(autorun); }

    // A check box is clicked on its box, a button in its middle.
    static void Click(QAbstractButton* button) {
        const QPoint at = qobject_cast<QCheckBox*>(button) ? QPoint(8, button->height() / 2)
                                                           : button->rect().center();
        QTest::mouseClick(button, Qt::LeftButton, {}, at);
    }
    // Replaces an edit's text by typing.
    static void Type(QLineEdit& edit, const QString& text) {
        edit.setFocus();
        edit.selectAll();
        QTest::keyClicks(&edit, text);
    }
    static QColor TextColor(const QWidget& w) { return w.palette().color(QPalette::WindowText); }

    TempFolder folder;
    std::string config_path = folder.File("incubator-monitor.ini");
    QWidget main_window;
    EngineSettings engine;
    WindowSettings window;
    platform::FakeAutorun autorun;
    platform::ScriptedDialogs dialogs;  // a dialog the test does not expect fails it
    platform::RecordingSound sound;
    platform::VirtualClock clock;
    std::unique_ptr<platform::Timer> save_file = clock.CreateTimer();
    std::unique_ptr<platform::Timer> alarm_sound = clock.CreateTimer();
    int autosaves = 0;
    std::vector<AcceptedSettings> applied;
};

TEST_F(FormSettingsTest, OpensOnTheDefaultsFixedAndCentred) {
    auto form = Open();
    Ui::TFormSettings& ui = form->ui();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Настойки"));
    EXPECT_TRUE(ui.ChBxOkruglenie->isChecked() && ui.ChBoxT1_en->isChecked() &&
                ui.ChBoxT2_en->isChecked() && ui.ChBoxHM_en->isChecked());
    EXPECT_FALSE(ui.ChBoxSignalOffData->isChecked() || ui.SignalOffDataSound->isEnabled());
    EXPECT_EQ(form->EditTimSound().text(), QStringLiteral("3"));
    EXPECT_EQ(form->Edit2().text(), QStringLiteral("10"));
    EXPECT_EQ(form->Edit2().toolTip(), QStringLiteral("0 - не сохранять"));
    EXPECT_EQ(ui.EditFileAlarmSound->text(), QStringLiteral("Windows XP - ошибка.wav"));
    EXPECT_FALSE(form->Timer1().IsActive());
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_LE((form->geometry().center() - main_window.geometry().center()).manhattanLength(), 4);
}

TEST_F(FormSettingsTest, TheCloseBoxChangesNothingButTakesTheStoredPeriod) {
    const std::string stored =
        "[ComPort1]\nSignalOffData=1\nSignalOffDataSound=1\n[LogFile]\nTime=20\n";
    Spit(config_path, stored);
    window.Sound = "/snd/old.wav";
    engine.AutosaveMinutes = 30;
    EngineSettings expected = engine;
    expected.AutosaveMinutes = 20;

    auto form = Open();
    Ui::TFormSettings& ui = form->ui();
    EXPECT_EQ(engine.AutosaveMinutes, 20) << "opening sets the period in force";
    Click(ui.ChBoxSignalOffData);
    Click(ui.ChBoxAutorun);
    Click(ui.ChBoxVerSHT10);
    Type(form->Edit2(), "0");
    Type(form->EditTimSound(), "9");
    dialogs.AnswerOpenFile("/snd/new.wav");
    Click(ui.SpBtnFileAlarmSound);
    EXPECT_EQ(ui.EditFileAlarmSound->text(), QStringLiteral("/snd/new.wav"));
    form->close();

    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Slurp(config_path), stored);
    EXPECT_EQ(engine, expected);
    EXPECT_EQ(window.Sound, "/snd/old.wav") << "the old sound stays in force";
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(autorun.registrations + autorun.unregistrations, 0);
    EXPECT_EQ(save_file->Interval(), 10u * 60000);
    EXPECT_EQ(alarm_sound->Interval(), 3000u);
}

TEST_F(FormSettingsTest, TheNoDataSoundFollowsTheNoDataWarning) {
    Spit(config_path, "[ComPort1]\nSignalOffData=1\nSignalOffDataSound=1\n");
    auto form = Open();
    Ui::TFormSettings& ui = form->ui();
    ASSERT_TRUE(ui.SignalOffDataSound->isEnabled() && ui.SignalOffDataSound->isChecked());
    Click(ui.ChBoxSignalOffData);
    EXPECT_FALSE(ui.SignalOffDataSound->isChecked() || ui.SignalOffDataSound->isEnabled());
    Click(ui.SignalOffDataSound);
    EXPECT_FALSE(ui.SignalOffDataSound->isChecked()) << "a disabled box takes no click";

    Click(ui.ChBoxSignalOffData);
    EXPECT_TRUE(ui.SignalOffDataSound->isEnabled() && !ui.SignalOffDataSound->isChecked());
}

TEST_F(FormSettingsTest, APeriodOfZeroWarnsAtOnceAndStopsTheAutosave) {
    auto form = Open();
    Ui::TFormSettings& ui = form->ui();
    const QColor normal = TextColor(*ui.Label3);
    EXPECT_NE(normal, QColor(Qt::red));

    Type(form->Edit2(), "0");
    EXPECT_EQ(TextColor(*ui.Label3), QColor(Qt::red));
    Type(form->Edit2(), "7");
    EXPECT_EQ(TextColor(*ui.Label3), normal);
    Type(form->Edit2(), "0");
    Click(ui.Button1);

    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(engine.AutosaveMinutes, 0);
    EXPECT_EQ(platform::IniFile(config_path).ReadInteger("LogFile", "Time", -1), 0);
    clock.Advance(60 * 60000);
    EXPECT_EQ(autosaves, 0);
}

TEST_F(FormSettingsTest, TenMinutesToFiveTakesEffectWithoutARestart) {
    clock.Advance(3 * 60000);
    auto form = Open();
    Type(form->Edit2(), "5");
    Click(form->ui().Button1);

    EXPECT_EQ(engine.AutosaveMinutes, 5);
    clock.Advance(5 * 60000);
    EXPECT_EQ(autosaves, 1);
    clock.Advance(5 * 60000);
    EXPECT_EQ(autosaves, 2);
}

TEST_F(FormSettingsTest, AcceptingWritesAndAppliesEveryChoice) {
    Spit(config_path, "[Alarm]\nSound=/snd/old.wav\n");
    window.Sound = "/snd/old.wav";
    auto form = Open();
    Ui::TFormSettings& ui = form->ui();
    for (QCheckBox* box :
         {ui.ChBoxVerSHT10, ui.ChBoxAutorun, ui.ChBoxStartInTrey, ui.ChBoxMinToTrey,
          ui.ChBoxOpenComStart, ui.ChBxOkruglenie, ui.ChBoxShowWinTemper, ui.ChBoxSignalOffData,
          ui.SignalOffDataSound, ui.ChBoxT2_en})
        Click(box);
    Type(form->EditTimSound(), "12");
    Type(*ui.EditFileAlarmSound, "/snd/typed.wav");
    dialogs.AnswerOpenFile(std::nullopt);
    Click(ui.SpBtnFileAlarmSound);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].file.filter, "wav (*.wav)");
    EXPECT_EQ(dialogs.calls[0].file.proposed_name, "/snd/old.wav")
        << "the chooser proposes the sound in force";
    EXPECT_EQ(ui.EditFileAlarmSound->text(), QStringLiteral("/snd/typed.wav"));
    Click(ui.Button1);

    EXPECT_EQ(form->result(), QDialog::Accepted);
    ASSERT_EQ(applied.size(), 1u);
    const EngineSettings& s = applied[0].engine;
    EXPECT_TRUE(s.SHT10 && !s.Okruglenie && s.SignalOffData && s.SignalOffDataSound &&
                s.T1_enable && !s.T2_enable && s.HM_enable && applied[0].MinToTrey);
    EXPECT_EQ(s.AutosaveMinutes, 10);
    EXPECT_TRUE(applied[0].window.ShowWindow);
    EXPECT_EQ(applied[0].window.TimeSound, 12);
    EXPECT_EQ(applied[0].window.Sound, "/snd/typed.wav");
    EXPECT_EQ(alarm_sound->Interval(), 12000u);
    EXPECT_TRUE(autorun.registered);

    const platform::IniFile ini(config_path);
    EXPECT_TRUE(ini.ReadBool("Form", "StartInTrey", false));
    EXPECT_EQ(ini.ReadString("Alarm", "Sound", ""), "/snd/old.wav") << "written at close only";
}

TEST_F(FormSettingsTest, TestPlaybackRepeatsUntilReleased) {
    auto form = Open();
    Ui::TFormSettings& ui = form->ui();
    Type(*ui.EditFileAlarmSound, "/snd/try.wav");
    Type(form->EditTimSound(), "1");

    Click(ui.SpBtnPlayAlarm);
    EXPECT_EQ(sound.Played().size(), 1u) << "the first playback starts at once";
    clock.Advance(3000);
    EXPECT_EQ(sound.Played(), std::vector<std::string>(4, "/snd/try.wav"));

    // A new period counts from the next tick; a new file plays from the next tick.
    Type(form->EditTimSound(), "2");
    Type(*ui.EditFileAlarmSound, "/snd/other.wav");
    clock.Advance(1000);
    EXPECT_EQ(sound.Played().size(), 5u);
    EXPECT_EQ(sound.Played().back(), "/snd/other.wav");
    clock.Advance(1999);
    EXPECT_EQ(sound.Played().size(), 5u);
    clock.Advance(1);
    EXPECT_EQ(sound.Played().size(), 6u);

    Click(ui.SpBtnPlayAlarm);
    clock.Advance(10000);
    EXPECT_EQ(sound.Played().size(), 6u);
    EXPECT_EQ(sound.Stops(), 0) << "a sound already playing ends by itself";

    Click(ui.SpBtnPlayAlarm);
    EXPECT_EQ(sound.Played().size(), 7u);
    form.reset();
    EXPECT_EQ(clock.ActiveTimers(), 1u) << "only the main window's autosave is left";
    clock.Advance(10000);
    EXPECT_EQ(sound.Played().size(), 7u);
}

TEST_F(FormSettingsTest, AnAutorunEntryOfACopyElsewhereShowsUnticked) {
    const platform::XdgAutorun::Environment env{folder.File("config"), std::nullopt};
    platform::XdgAutorun here("/opt/incubator/incubator-monitor", env);
    platform::XdgAutorun elsewhere("/home/user/incubator-monitor", env);
    here.Register();

    EXPECT_TRUE(Open(here)->ui().ChBoxAutorun->isChecked());
    auto form = Open(elsewhere);
    EXPECT_FALSE(form->ui().ChBoxAutorun->isChecked());

    // Ticking it in the other copy makes the entry start that copy.
    Click(form->ui().ChBoxAutorun);
    Click(form->ui().Button1);
    EXPECT_TRUE(elsewhere.IsRegistered());
    EXPECT_FALSE(here.IsRegistered());
}

TEST_F(FormSettingsTest, AnEntryOfAnotherCopyIsLeftAloneWhenTheBoxIsNotChanged) {
    const platform::XdgAutorun::Environment env{folder.File("config"), std::nullopt};
    platform::XdgAutorun installed("/usr/local/bin/incubator-monitor", env);
    platform::XdgAutorun demo("/home/user/demo/incubator-monitor", env);
    installed.Register();
    auto form = Open(demo);  // unticked: the entry starts another copy
    Click(form->ui().ChBoxShowWinTemper);
    Click(form->ui().Button1);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_TRUE(installed.IsRegistered());
}

TEST_F(FormSettingsTest, ARefusedConfigurationWriteKeepsTheDialogOpen) {
    config_path = folder.File("gone/incubator-monitor.ini");
    const EngineSettings before = engine;
    auto form = Open();
    Click(form->ui().ChBoxAutorun);
    Type(form->Edit2(), "5");
    dialogs.AnswerMessage(platform::MessageResult::Ok);
    Click(form->ui().Button1);

    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text, "Unable to write to " + config_path);
    EXPECT_EQ(dialogs.calls[0].parent, form.get());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(engine, before);
    EXPECT_EQ(autorun.registrations, 0);
}

TEST_F(FormSettingsTest, ARefusedAutorunReportsItAfterTheKeysAreWritten) {
    window.Sound = "/snd/old.wav";
    autorun.failure = "Failed to set data for 'Rizudirod'";
    auto form = Open();
    Click(form->ui().ChBoxAutorun);
    Click(form->ui().ChBoxShowWinTemper);
    Type(*form->ui().EditFileAlarmSound, "/snd/new.wav");
    dialogs.AnswerMessage(platform::MessageResult::Ok);
    Click(form->ui().Button1);

    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text, "Failed to set data for 'Rizudirod'");
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(platform::IniFile(config_path).ReadBool("Temperature", "ShowWindow", false));
    EXPECT_TRUE(window.ShowWindow);
    EXPECT_EQ(window.Sound, "/snd/old.wav");
    EXPECT_EQ(applied.size(), 1u);
}

}  // namespace
