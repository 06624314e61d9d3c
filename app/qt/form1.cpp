// Construction of the main window: the components, the timers, the menus and the wiring of
// the controls' events to the handlers.
#include "app/qt/form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include "app/limit_edits.h"
#include "app/qt/control_sizes.h"
#include "app/qt/fit_label.h"
#include "app/qt/form_hint.h"
#include "app/qt/widget_colors.h"
#include "engine/record_line.h"
#include "engine/statistics/posix_file_system.h"
#include "platform/qt/qt_tray_main_window.h"
#include "platform/qt/qt_tray_menu.h"
#include "platform/serial_device_flags.h"
#include "serial/qt/serial_led_widget.h"
#include "serial/qt/serial_setup_form.h"
#include "ui_form1.h"

namespace {

// The taskbar flash through the toolkit.
class ToolkitAlert : public platform::WindowAlert {
  public:
    explicit ToolkitAlert(QWidget* window) : window_(window) {}
    void Flash() override { QApplication::alert(window_, 0); }

  private:
    QWidget* window_;
};

}  // namespace

TForm1::TForm1(MainWindowServices& services, QWidget* parent)
    : QMainWindow(parent), services_(services), ui_(std::make_unique<Ui::TForm1>()), memo_(*[this] {
          ui_->setupUi(this);
          return ui_->Memo1;
      }()) {
    ui_->Button1->setVisible(false);
    // The chart takes most of the height; the statistics below it can be dragged larger.
    ui_->Splitter1->setStretchFactor(0, 3);
    ui_->Splitter1->setStretchFactor(1, 1);
    status_panel_ = new QLabel(this);
    status_warning_ = new QLabel(this);
    status_warning_->setStyleSheet(QStringLiteral("color: #b00000;"));
    ui_->StatusBar1->addWidget(status_panel_, 1);
    ui_->StatusBar1->addPermanentWidget(status_warning_);
    // The number edits take six digits in whatever font the desktop gives, and the window
    // keeps room for every control at that font.
    FitEditWidths(QString(6, QLatin1Char('0')),
                  {ui_->EditT1H, ui_->EditT1L, ui_->EditT2H, ui_->EditT2L, ui_->EditT3H,
                   ui_->EditT3L, ui_->EdOfsetNagreCurve, ui_->EdHeightNagreCurve});
    // The read-out under the mouse: a record line of the longest readings, with a line
    // number of six digits.
    ui_->LbCurrentStr->SetWidestText(
        QString::fromStdString(MakeRecordLine("-00,0000", "-00,0000", "-00,0000", 100, "12345678",
                                              {2000, 12, 31, 23, 59, 59}) +
                               "    Стр. 999999"));
    HoldMinimumToLayout(*this);

    CreateTimers();
    CreateMenus();
    CreateTray();
    // After the tray and the warning router: the engine's warnings go through them.
    CreateEngine();
    TSerialLed& lamp = ui_->ComLed1->Led();
    lamp.SetKind(lkGreenLight);
    lamp.SetLedSignal(lsConn);
    engine_->ShowPortOn(lamp);
    WireControls();
    WireLimitEdits();
    WireChart();
    hint_ = std::make_unique<TFormHint>(this);
    hint_->hide();

    ApplyChartStart();
    TrayIcon1().Loaded();
    FormCreate();
}

TForm1::~TForm1() {
    // No receive event may reach a window that is half destroyed.
    ui_->Memo1->disconnect(this);
    engine_.reset();
    hint_.reset();
}

void TForm1::NComPortClick() {
    engine_->ConfigurePort([this](TCustomSerialPort& port) { ShowSettingsDialog(port, this); });
}

void TForm1::SetPortName(const std::string& name) {
    engine_->ConfigurePort([&](TCustomSerialPort& port) { port.SetPort(name); });
}

TGraphM& TForm1::GraphM1() {
    return ui_->GraphM1->Chart();
}

void TForm1::CreateEngine() {
    EngineFrontEnd& front = *this;
    engine_ = std::make_unique<MonitorEngine>(
        EngineServices{
            .timers = services_.timers,
            .serial = services_.serial,
            .logic_thread = services_.ui_thread,
            .files = Files(),
            .log_dir = services_.log_dir,
            .now = [this] { return SystemTimeOf(services_.now()); },
            .echo_line = services_.echo_line,
            .title = windowTitle().toStdString(),
        },
        front);
    history_subscription_ = engine_->AddListener(history_);
    // The next line goes after what the display holds, also after the user's edits of it.
    connect(ui_->Memo1, &QPlainTextEdit::textChanged, this,
            [this] { engine_->DisplayHolds(memo_.Count()); });
}

void TForm1::CreateTimers() {
    auto make = [this](std::uint32_t ms, void (TForm1::*handler)()) {
        std::unique_ptr<platform::Timer> t = services_.timers.CreateTimer();
        t->SetInterval(ms);
        t->SetTickHandler([this, handler] { Unattended([&] { (this->*handler)(); }); });
        return t;
    };
    timer_alarm_ = make(700, &TForm1::TimerAlarmTimer);
    timer_alarm_sound_ = make(3000, &TForm1::TimerAlarmSoundTimer);
    timer_alarm_->SetEnabled(true);
}

void TForm1::CreateTray() {
    tray_window_ = std::make_unique<platform::QtTrayMainWindow>(this);
    tray_ =
        std::make_unique<TTrayIcon>(services_.tray_shell(), services_.timers, tray_window_.get());
    tray_->SetIcon({":/icons/incubator-monitor.svg"});
    tray_->OnStartup = [this](TTrayIcon&, bool& show) { TrayIcon1Startup(show); };
    tray_->OnClick = [this](TTrayIcon&) { UserAction([&] { TrayIcon1Click(); }); };
    tray_->OnDblClick = [this](TTrayIcon&) { UserAction([&] { TrayIcon1DblClick(); }); };
    tray_->OnBalloonHintClick = [this](TTrayIcon&) {
        UserAction([&] { TrayIcon1BalloonHintClick(); });
    };
    tray_->SetHint(windowTitle().toStdString());
    tray_menu_ = std::make_unique<platform::QtTrayMenu>(popup_tray_);
    tray_->SetPopupMenu(tray_menu_.get());
    warnings_ = std::make_unique<WarningRouter>(
        *tray_, services_.notifier,
        [this](const std::string& line) { status_warning_->setText(QString::fromStdString(line)); },
        services_.timers);
    if (!services_.alert) own_alert_ = std::make_unique<ToolkitAlert>(this);
}

void TForm1::CreateMenus() {
    popup_curves_ = new QMenu(this);
    auto check_item = [this](const char* name, const char* text, bool checked) {
        QAction* a = popup_curves_->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromUtf8(name));
        a->setCheckable(true);
        a->setChecked(checked);
        return a;
    };
    PMenuT1 = check_item("PMenuT1", "T1", true);
    PMenuT2 = check_item("PMenuT2", "T2", true);
    PMenuT3 = check_item("PMenuT3", "T3", true);
    PMenuHm = check_item("PMenuHm", "Влажн.", true);
    PMenuWindow = check_item("PMenuWindow", "Окно Т", false);
    PMenuPerekrestie = check_item("PMenuPerekrestie", "+", false);
    connect(PMenuWindow, &QAction::triggered, this,
            [this] { UserAction([&] { PMenuWindowClick(); }); });

    popup_heater_ = new QMenu(this);
    QAction* n10 = popup_heater_->addAction(QStringLiteral("Цвет графика"));
    n10->setObjectName(QStringLiteral("N10"));
    connect(n10, &QAction::triggered, this, [this] { UserAction([&] { N10Click(); }); });

    popup_tray_ = new QMenu(this);
    popup_tray_->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* n4 = popup_tray_->addAction(QStringLiteral("Показать"));
    QAction* n5 = popup_tray_->addAction(QStringLiteral("Скрыть"));
    popup_tray_->addSeparator();
    QAction* n7 = popup_tray_->addAction(QStringLiteral("Выход"));
    n4->setObjectName(QStringLiteral("N4"));
    n5->setObjectName(QStringLiteral("N5"));
    n7->setObjectName(QStringLiteral("N7"));
    connect(n4, &QAction::triggered, this, [this] { tray_->ShowMainWindow(); });
    connect(n5, &QAction::triggered, this, [this] { tray_->HideMainWindow(); });
    connect(n7, &QAction::triggered, this, [this] { close(); });
}

void TForm1::WireControls() {
    auto on = [this](QAction* action, void (TForm1::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { UserAction([&] { (this->*handler)(); }); });
    };
    connect(ui_->N1, &QAction::triggered, this, [this] { close(); });
    on(ui_->N21, &TForm1::N21Click);
    on(ui_->NCopyT1, &TForm1::NCopyT1Click);
    on(ui_->NCopyT2, &TForm1::NCopyT2Click);
    on(ui_->NCopyT3, &TForm1::NCopyT3Click);
    on(ui_->NCopyHM, &TForm1::NCopyHMClick);
    on(ui_->NClear, &TForm1::NClearClick);
    on(ui_->NComPort, &TForm1::NComPortClick);
    on(ui_->NLoad1, &TForm1::NLoad1Click);
    connect(ui_->NSave1, &QAction::triggered, this, [this] { UserAction([&] { NSave1Click(); }); });
    // Wired by the windows that are still to come.
    on(ui_->N13, &TForm1::N13Click);
    on(ui_->N14, &TForm1::N14Click);
    on(ui_->N15, &TForm1::N15Click);
    on(ui_->N16, &TForm1::N16Click);
    on(ui_->N17, &TForm1::N17Click);
    on(ui_->N18, &TForm1::N18Click);
    on(ui_->N19, &TForm1::N19Click);
    on(ui_->N23, &TForm1::N23Click);
    on(ui_->NFont, &TForm1::NFontClick);
    on(ui_->N3, &TForm1::N3Click);
    on(ui_->NAbout, &TForm1::NAboutClick);

    connect(ui_->SpBtnOpenCom, &QPushButton::clicked, this,
            [this] { UserAction([&] { SpBtnOpenComClick(); }); });
    connect(ui_->Button1, &QPushButton::clicked, this,
            [this] { Unattended([&] { Button1Click(); }); });

    for (QWidget* w : {static_cast<QWidget*>(ui_->Panel1), static_cast<QWidget*>(ui_->Panel2),
                       static_cast<QWidget*>(ui_->Panel3), static_cast<QWidget*>(ui_->LbT3HM)})
        w->installEventFilter(this);
    ui_->Memo1->viewport()->installEventFilter(this);
    ui_->centralwidget->setMouseTracking(true);
    ui_->centralwidget->installEventFilter(this);
}
