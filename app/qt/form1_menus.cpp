// The main menu's windows and messages, the display's font, and the tray icon's clicks.
#include <QTextDocument>

#include "analysis/qt/form_log.h"
#include "app/configuration.h"
#include "app/qt/about_form.h"
#include "app/qt/form1.h"
#include "app/qt/form_settings.h"
#include "platform/posix/executable_path.h"
#include "ui_form1.h"

namespace {

// The eight controller outputs, as the record line's "OUT=" field numbers them.
constexpr const char* kOutputsHelp =
    "1 - Звуковая сигнализация\n"
    "2 - Включение вывода НАГРЕВ\n"
    "3 - Разность между Т1 и Т2\n"
    "4 - Увлажнение включено\n"
    "5 - Движение\n"
    "6 - Реверс\n"
    "7 - Включение вывода аварийного охлаждения\n"
    "8 - Включение вывода аварийного реле";

}  // namespace

void TForm1::OpenAnalysis(AnalysisMode mode) {
    analysis_mode_ = mode;
    const std::string path = services_.config_path;
    FormLogContext context{*ui_->Memo1->document(),
                           analysis_mode_,
                           services_.dialogs,
                           services_.clipboard,
                           [path](const platform::FontChoice& present) {
                               return config::ReadAnalysisFont(platform::IniFile(path), present);
                           },
                           [path](const platform::FontChoice& font) {
                               platform::IniFile ini(path);
                               config::WriteAnalysisFont(ini, font);
                           }};
    TFormLog window(std::move(context), this);
    window.exec();
}

void TForm1::N23Click() {
    services_.dialogs.Message(this, kOutputsHelp, windowTitle().toStdString(),
                              platform::MessageButtons::Ok, platform::MessageIcon::None);
}

void TForm1::N3Click() {
    FormSettingsContext context{services_.config_path,
                                window_settings_,
                                services_.autorun,
                                services_.dialogs,
                                services_.sound,
                                services_.timers,
                                [this](int minutes) { engine_->TakeAutosavePeriod(minutes); },
                                [this](const settings_dialog::AcceptedSettings& accepted) {
                                    TrayIcon1().SetMinimizeToTray(accepted.MinToTrey);
                                    engine_->ApplySettings(accepted.engine);
                                    window_settings_ = accepted.window;
                                    settings_dialog::FollowSoundRepeat(window_settings_,
                                                                       *timer_alarm_sound_);
                                    PMenuWindow->setChecked(window_settings_.ShowWindow);
                                }};
    TFormSettings dialog(std::move(context), this);
    dialog.exec();
}

void TForm1::NAboutClick() {
    TfAbout about(services_.url_opener, AboutAddressesFor(platform::ExecutablePath()), this);
    about.exec();
}

void TForm1::NFontClick() {
    const QFont started = ui_->Memo1->font();
    const platform::FontChoice initial{started.family().toStdString(), started.pointSize()};
    auto apply = [this](const platform::FontChoice& font) {  // FontDialog1Apply
        QFont f = ui_->Memo1->font();
        f.setFamily(QString::fromStdString(font.name));
        if (font.size > 0) f.setPointSize(font.size);
        ui_->Memo1->setFont(f);
    };
    const std::optional<platform::FontChoice> chosen =
        services_.dialogs.ChooseFont(this, initial, apply);
    if (!chosen) {
        ui_->Memo1->setFont(started);  // the previews go with the cancel
        return;
    }
    platform::IniFile ini(services_.config_path);
    config::WriteMainFont(ini, *chosen);
    apply(*chosen);
}

void TForm1::TrayIcon1Click() {
    // To the front, but a hidden window stays hidden.
    if (isVisible()) {
        raise();
        activateWindow();
    }
}

void TForm1::TrayIcon1DblClick() {
    TrayIcon1().ShowMainWindow();
}

void TForm1::TrayIcon1BalloonHintClick() {
    TrayIcon1().ShowMainWindow();
    raise();
    activateWindow();
}
