// The configuration read when the window is made, and the tray's start-up question.
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "app/configuration.h"
#include "app/limit_edits.h"
#include "app/qt/form1.h"
#include "app/qt/screen_placement.h"
#include "app/qt/widget_colors.h"
#include "ui_form1.h"

void TForm1::TrayIcon1Startup(bool& ShowMainForm) {
    // A file that cannot be read starts the window shown.
    bool hidden = false;
    try {
        hidden = config::ReadStartInTrey(platform::IniFile(services_.config_path));
    } catch (const std::exception&) {
    }
    ShowMainForm = !hidden;
}

void TForm1::FormCreate() {
    TrayIcon1().SetIconVisible(true);
    // Before the port can open: the recovered lines come before any new one.
    engine_->RecoverJournal();
    try {
        engine_->LoadPortSettings(services_.config_path);
    } catch (const ESerialPort& e) {
        // The window keeps its design values.
        ReportError(e.what());
        PlaceOnScreen(*this, {x(), y(), width(), height()});
        return;
    }
    ApplyConfiguration();
}

void TForm1::ApplyConfiguration() {
    const platform::IniFile ini(services_.config_path);
    config::ControlDefaults present;
    present.GainY = ui_->ScrollBarGainY->value();
    present.PosY = ui_->ScrollBarPosY->value();
    present.XScale = ui_->ScrollBarXScale->value();
    present.MemoFont = {ui_->Memo1->font().family().toStdString(), ui_->Memo1->font().pointSize()};
    const config::MainWindowConfiguration c = config::ReadMainWindowConfiguration(ini, present);

    PlaceOnScreen(*this,
                  {c.placement.Left, c.placement.Top, c.placement.Width, c.placement.Height});
    TrayIcon1().SetMinimizeToTray(c.MinToTrey);
    setWindowState(c.InitMax ? Qt::WindowMaximized : Qt::WindowNoState);

    ui_->ChBoxGrafNagrev->setChecked(c.chart.ChBoxGrafNagrev);
    ChBoxGrafNagrevClick();
    ui_->ScrollBarGainY->setValue(c.chart.GainY);
    ui_->ScrollBarPosY->setValue(c.chart.PosY);
    ui_->ScrollBarXScale->setValue(c.chart.XScale);

    // Each text runs the edits' change handler, which sets the limits.
    const LimitEditTexts texts = LimitTexts(c.limits);
    QLineEdit* const edits[] = {ui_->EditT1H, ui_->EditT1L, ui_->EditT2H,
                                ui_->EditT2L, ui_->EditT3H, ui_->EditT3L};
    for (std::size_t i = 0; i < kLimitEditCount; ++i)
        edits[i]->setText(QString::fromStdString(texts[i]));

    engine_->ApplySettings(c.settings);
    window_settings_ = c.window;
    timer_alarm_sound_->SetInterval(config::SoundRepeatIntervalMs(window_settings_.TimeSound));
    timer_alarm_sound_->SetEnabled(true);

    TCurves& curves = GraphM1().Curves();
    SetTextColor(*ui_->LbColorT1, ToQColor(c.colors.T1));
    SetTextColor(*ui_->LbColorT2, ToQColor(c.colors.T2));
    SetTextColor(*ui_->LbColorT3, ToQColor(c.colors.T3));
    SetTextColor(*ui_->LbHmColor, ToQColor(c.colors.HM));
    curves.Items(curve::kT1).SetColorGraph(c.colors.T1);
    curves.Items(curve::kT2).SetColorGraph(c.colors.T2);
    curves.Items(curve::kT3).SetColorGraph(c.colors.T3);
    curves.Items(curve::kHeater).SetColorGraph(c.colors.Nagrev);
    curves.Items(curve::kHM).SetColorGraph(c.colors.HM);
    SetBackground(*ui_->Panel4, ToQColor(c.colors.Fon));
    GraphM1().SetColor(c.colors.Fon);
    SetTextColor(*ui_->LbGirdColor, ToQColor(c.colors.Gird));
    GraphM1().SetColorGrid(c.colors.Gird);

    QFont font = ui_->Memo1->font();
    font.setFamily(QString::fromStdString(c.memo_font.name));
    if (c.memo_font.size > 0) font.setPointSize(c.memo_font.size);
    ui_->Memo1->setFont(font);

    if (c.OpenStart) OpenPortAtStart();

    ui_->EdOfsetNagreCurve->setText(QString::fromStdString(c.chart.OfsetNagreCurve));
    ui_->EdHeightNagreCurve->setText(QString::fromStdString(c.chart.HeightNagreCurve));

    GraphM1().SetMaxXValue(ui_->ScrollBarXScale->value() + 50);
    ScrollBarGainYChange();
    PMenuWindow->setChecked(window_settings_.ShowWindow);
}
