#pragma once
// TFormSettings: the modal dialog of the program-wide options. It opens on the configuration
// file, the autorun entry and the alarm sound in force; "Да" writes the options and applies
// them to the running program at once; the close box leaves everything as it was (but for
// the autosave period in force, which opening sets to the stored one).

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "app/settings_dialog_logic.h"
#include "app/window_settings.h"
#include "platform/autorun.h"
#include "platform/dialogs.h"
#include "platform/sound.h"
#include "platform/timer.h"

class QLineEdit;
namespace Ui {
class TFormSettings;
}

struct FormSettingsContext {
    std::string config_path;
    // The window's settings in force (the alarm sound).
    const WindowSettings& window;
    platform::Autorun& autorun;
    platform::Dialogs& dialogs;
    platform::Sound& sound;          // the test playback
    platform::TimerFactory& timers;  // Timer1
    // At the opening: the stored autosave period shown becomes the period in force.
    std::function<void(int minutes)> take_period;
    // An acceptance, in the main window: the engine's settings and the window's replaced, the
    // tray's MinimizeToTray, the alarm-sound timer and the floating-window tick.
    std::function<void(const settings_dialog::AcceptedSettings&)> apply;
};

class TFormSettings : public QDialog {
  public:
    TFormSettings(FormSettingsContext context, QWidget* parent);
    ~TFormSettings() override;

    Ui::TFormSettings& ui() { return *ui_; }
    // The number edits inside the up-downs.
    QLineEdit& Edit2();
    QLineEdit& EditTimSound();
    platform::Timer& Timer1() { return *timer1_; }

    void Edit2Change();
    void ChBoxSignalOffDataClick();
    void SpBtnFileAlarmSoundClick();
    void SpBtnPlayAlarmClick();
    void Timer1Timer();
    void Button1Click();

  private:
    void FormCreate();
    void ShowState(const settings_dialog::DialogState& state);
    settings_dialog::DialogState Controls() const;

    std::unique_ptr<Ui::TFormSettings> ui_;
    FormSettingsContext context_;
    std::unique_ptr<platform::Timer> timer1_;
    settings_dialog::DialogState opened_;  // what the controls showed at the opening
};
