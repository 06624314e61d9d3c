#pragma once
// TForm1: the main window. A shell over the form's controls and the front end of the engine,
// which owns the port and the data path: the window shows what the engine decodes and warns
// of, owns the tray icon, the alarm display's timers and the chart, and wires the controls'
// events to the handlers below, which call into the engine and the Qt-free logic of app/.

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/analysis_report.h"
#include "app/alarm_supervision.h"
#include "app/chart_view.h"
#include "app/configuration.h"
#include "app/qt/display_memo.h"
#include "app/qt/main_window_services.h"
#include "app/warning_router.h"
#include "app/window_settings.h"
#include "engine/engine_front_end.h"
#include "engine/history_recorder.h"
#include "engine/monitor_engine.h"
#include "serial/serial_port.h"
#include "tray/tray_icon.h"

class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class TFormHint;
namespace platform {
class QtTrayMainWindow;
class QtTrayMenu;
}  // namespace platform
namespace Ui {
class TForm1;
}

class TForm1 : public QMainWindow, private EngineFrontEnd, private AlarmView {
  public:
    explicit TForm1(MainWindowServices& services, QWidget* parent = nullptr);
    ~TForm1() override;

    // --- for the program and the tests
    Ui::TForm1& ui() { return *ui_; }
    MonitorEngine& Engine() { return *engine_; }
    const TSerialPort& ComPort1() const { return engine_->Port(); }
    // Names the port's device (the tests', the screenshots' fake devices).
    void SetPortName(const std::string& name);
    TTrayIcon& TrayIcon1() { return *tray_; }
    TGraphM& GraphM1();
    TFormHint& FormHint() { return *hint_; }
    DisplayMemo& Display() { return memo_; }
    const AlarmFlags& Alarms() const { return engine_->Alarms(); }
    const AlarmLimits& Limits() const { return engine_->Limits(); }
    const EngineSettings& Settings() const { return engine_->Settings(); }
    const WindowSettings& OwnSettings() const { return window_settings_; }
    const SampleHistory& History() const { return history_.History(); }
    const std::string& SaveBuffer() const { return engine_->UnsavedLines(); }
    const ChartWindow& Window() const { return window_; }
    QLabel& StatusPanel() { return *status_panel_; }
    QLabel& StatusWarning() { return *status_warning_; }
    QMenu& PopupMenuCurves() { return *popup_curves_; }
    QMenu& PopupMenuColorCurveNagrev() { return *popup_heater_; }
    QMenu& PopupMenu1() { return *popup_tray_; }
    platform::Timer& TimerAlarmSound() { return *timer_alarm_sound_; }
    const platform::Timer& TimerSaveFile() const { return engine_->AutosaveTimer(); }

    // --- receiving (telemetry): the port, its events and the timers of the data path are the
    // engine's own
    void SpBtnOpenComClick();
    // The start-up press of the button (OpenStart): a port that cannot be opened is tried
    // again.
    void OpenPortAtStart();
    // The hidden test button: a random packet decoded as if it had come.
    void Button1Click();

    // --- alarms
    void EditT1HChange();
    void EditT1HExit(QLineEdit& edit);
    void EditT3HExit(QLineEdit& edit);
    void EditT1HKeyDown(QLineEdit& edit);
    void TimerAlarmTimer();
    void TimerAlarmSoundTimer();
    void Panel1DblClick(QWidget& sender);
    void LbT3HMClick();
    void N21Click();

    // --- the display and the edit menu
    void NClearClick();
    void NCopyT1Click();
    void NCopyT2Click();
    void NCopyT3Click();
    void NCopyHMClick();
    void Memo1Click();
    // --- statistics files and closing
    // The autosave step.
    void TimerSaveFileTimer();
    // Returns whether the display was saved.
    bool NSave1Click();
    void NLoad1Click();
    // Whether the window may close.
    bool FormCloseQuery();
    // The window closes: the configuration is written.
    void FormClose();
    // The desktop session ends or the program is told to stop: save without asking and quit.
    void EndWithoutAsking();
    // A warning of the program's other parts (the MQTT feed), shown as the engine's are.
    void WarnUnattended(const Warning& warning) { Warn(warning); }

    // --- menus and the tray icon
    void NComPortClick();
    void OpenAnalysis(AnalysisMode mode);
    void N13Click() { OpenAnalysis(AnalysisMode::TrayTurnings); }
    void N14Click() { OpenAnalysis(AnalysisMode::Humidification); }
    void N15Click() { OpenAnalysis(AnalysisMode::T1T2Difference); }
    void N16Click() { OpenAnalysis(AnalysisMode::Heater); }
    void N17Click() { OpenAnalysis(AnalysisMode::SoundSignal); }
    void N18Click() { OpenAnalysis(AnalysisMode::EmergencyCooling); }
    void N19Click() { OpenAnalysis(AnalysisMode::EmergencyRelay); }
    void N23Click();
    void N3Click();
    void NAboutClick();
    void NFontClick();
    void TrayIcon1Click();
    void TrayIcon1DblClick();
    void TrayIcon1BalloonHintClick();
    AnalysisMode CurrentAnalysisMode() const { return analysis_mode_; }

    // --- start-up
    void TrayIcon1Startup(bool& ShowMainForm);

    // --- the chart
    void FillChart(int E);
    void ScrollBarGainYChange();
    void ScrollBarXScaleChange();
    void ScrollBarAllGrafScroll();
    void ScrollBarAllGrafChange();
    void GraphM1MouseMove(int X, int Y);
    void FormMouseMove();
    void SpBtnDetailsClick();
    void LbColorT1Click();
    void LbColorT2Click();
    void LbColorT3Click();
    void LbHmColorClick();
    void LbColorFonClick();
    void LbGirdColorClick();
    void N10Click();
    void Label1Click();
    void PMenuWindowClick();
    void ChBoxGrafNagrevClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // EngineFrontEnd
    void SampleDecoded(const TelemetrySample& sample) override;
    void DisplayStartsAfresh() override;
    void Warn(const Warning& warning) override;
    void PortStartedChanged(bool started) override;
    // AlarmView
    void ShowAlarmBalloon(const std::string& title, const std::string& text) override;
    void FlashTaskbar() override;
    bool PanelRed(AlarmChannel channel) const override;
    void SetPanelRed(AlarmChannel channel, bool red) override;

    // The creation steps that read the configuration file.
    void FormCreate();
    void ApplyConfiguration();
    // The engine's last autosave, once the port is closed: what it cannot write goes to a
    // file of its own (or to standard error), and the user is told where.
    void LastAutosave();
    // Puts an opened file's lines into the display, the history and the chart.
    void ShowStatisticsLines(const std::vector<std::string>& lines);
    // The statistics files' folder operations: the services', the same as the engine's.
    statistics::FileSystem& Files() const;
    void CreateEngine();
    void CreateTimers();
    void CreateTray();
    void CreateMenus();
    void WireControls();
    void WireLimitEdits();
    void WireChart();
    void ApplyChartStart();

    // Entry points from the toolkit: a user action reports a failure in a message box, an
    // unattended one (a timer, the receive path) as a warning.
    template <typename F>
    void UserAction(F&& f);
    template <typename F>
    void Unattended(F&& f);
    // A step of an end that asks nobody: a failure goes to standard error and a warning.
    template <typename F>
    void AtEnd(F&& f);
    void ReportError(const std::string& message);
    void ReportAtEnd(const std::string& message);

    bool LimitEditKeyPress(QLineEdit& edit, const QString& typed);
    void LimitEditFocusOut(QLineEdit& edit);
    QWidget* Panel(AlarmChannel channel) const;
    void ChooseColor(TColor initial, config::ChartColorKey key,
                     const std::function<void(TColor)>& apply);
    void ChooseCurveColor(int index, QLabel& label, config::ChartColorKey key);
    void CopyChannel(std::string (*field)(std::string_view));
    void UpdateTrayTip();
    CurveSelection Selection() const;
    void ShowHint(const HintTexts& texts, int X, int Y);

    MainWindowServices& services_;
    std::unique_ptr<Ui::TForm1> ui_;
    DisplayMemo memo_;

    ChartWindow window_;
    std::mt19937 rng_{std::random_device{}()};

    std::unique_ptr<platform::QtTrayMainWindow> tray_window_;
    std::unique_ptr<platform::QtTrayMenu> tray_menu_;
    std::unique_ptr<TTrayIcon> tray_;
    std::unique_ptr<WarningRouter> warnings_;
    std::unique_ptr<platform::WindowAlert> own_alert_;
    std::unique_ptr<TFormHint> hint_;

    std::unique_ptr<platform::Timer> timer_alarm_;
    std::unique_ptr<platform::Timer> timer_alarm_sound_;

    QMenu* popup_curves_ = nullptr;
    QMenu* popup_heater_ = nullptr;
    QMenu* popup_tray_ = nullptr;
    QAction* PMenuT1 = nullptr;
    QAction* PMenuT2 = nullptr;
    QAction* PMenuT3 = nullptr;
    QAction* PMenuHm = nullptr;
    QAction* PMenuWindow = nullptr;
    QAction* PMenuPerekrestie = nullptr;
    QLabel* status_panel_ = nullptr;
    QLabel* status_warning_ = nullptr;
    bool in_exit_handler_ = false;
    bool ending_ = false;  // closing without asking
    bool closed_ = false;  // the configuration is written, the window closed
    AnalysisMode analysis_mode_ = AnalysisMode::TrayTurnings;
    WindowSettings window_settings_;
    // The chart's history, which the engine fills; it outlives the engine.
    HistoryRecorder history_;
    EngineSubscription history_subscription_;
    // Made after the warning router and destroyed first: its port's events and its warnings
    // reach the window.
    std::unique_ptr<MonitorEngine> engine_;
};

template <typename F>
void TForm1::UserAction(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
}

template <typename F>
void TForm1::AtEnd(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        ReportAtEnd(e.what());
    }
}

template <typename F>
void TForm1::Unattended(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        Warn({Severity::kError, windowTitle().toStdString(), e.what(), 20});
    }
}
