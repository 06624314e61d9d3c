// incubator-monitor: the program's entry. It makes the desktop's services and the main
// window, and runs the event loop until the main window's close is accepted.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "app/qt/form1.h"
#include "config/app_paths.h"
#include "config/instance_start.h"
#include "config/program_options.h"
#include "config/program_output.h"
#include "mqtt/mqtt_feed.h"
#include "platform/posix/canberra_sound.h"
#include "platform/posix/executable_path.h"
#include "platform/posix/posix_serial_device.h"
#include "platform/posix/xdg_autorun.h"
#include "platform/qt/instance_channel.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_desktop_notifier.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/qt_tray_shell.h"
#include "platform/qt/qt_ui_thread.h"
#include "platform/qt/qt_url_opener.h"
#include "platform/qt/termination_signals.h"

namespace {

constexpr const char* kUsage =
    "Usage: incubator-monitor [--config FILE] [--echo] [--help]\n"
    "Watches an egg-incubator controller on a serial line.\n"
    "\n"
    "  --config FILE  use this configuration file (one per incubator); the statistics go to\n"
    "                 [LogFile] Dir, else log/ beside FILE, or for a FILE in\n"
    "                 $XDG_CONFIG_HOME/incubator-monitor/ to\n"
    "                 $XDG_DATA_HOME/incubator-monitor/<FILE's base name>/log/; a second\n"
    "                 start with the same FILE shows the running copy's window\n"
    "  --echo         also print every record line to standard output as it is added\n"
    "  --help         print this text and exit\n"
    "\n"
    "Without --config, the settings are in incubator-monitor.ini beside the program (or, for\n"
    "an installed program, in $XDG_CONFIG_HOME/incubator-monitor/), the daily statistics in\n"
    "log/ beside it (or in $XDG_DATA_HOME/incubator-monitor/log/). Lines that cannot be saved\n"
    "there when the program ends go to $XDG_DATA_HOME/incubator-monitor/unsaved/ (with\n"
    "--config, to unsaved/ beside the statistics folder).\n";

constexpr unsigned kMqttWarningSeconds = 10;
constexpr unsigned kStartWarningSeconds = 30;
// The running copy may itself be starting: it listens once its window is made.
constexpr std::chrono::milliseconds kShowPatience{15000};
constexpr const char* kWarningTitle = "Внимание!";

// The toolkit's own texts in Russian: the standard buttons read "Да", "Нет", "Отмена".
void InstallRussianCatalogue(QApplication& app, QTranslator& translator) {
    if (translator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

constexpr char kProgram[] = "incubator-monitor";

void SayOnStandardError(const std::string& text) {
    config::SayOnStandardError(kProgram, text);
}

// A second start of a running instance shows the first copy's window and ends; one that would
// share another configuration's statistics folder says why it does not run.
int EndSecondCopy(const config::InstanceStart& start, const std::string& channel_name) {
    if (start.claim.outcome == config::StatisticsFolderClaim::Outcome::HeldBySame &&
        platform::AskRunningCopyToShow(channel_name, kShowPatience))
        return 0;
    SayOnStandardError(start.claim.text);
    platform::QtDesktopNotifier notifier;
    notifier.Notify(kWarningTitle, start.claim.text, 0);
    return 1;
}

void WarnAtStart(TForm1& form, Severity severity, const std::string& text) {
    SayOnStandardError(text);
    form.WarnUnattended({severity, kWarningTitle, text, kStartWarningSeconds});
}

}  // namespace

int main(int argc, char** argv) {
    // A reader of --echo that goes away (`| head`) must not end the program unsaved: such a
    // write fails with EPIPE instead. Programs started from here get the default back (Qt
    // restores it in its children).
    config::IgnoreBrokenPipe();
    // Anything but the program's own options is the toolkit's (-platform, -style, ...).
    const config::ParsedOptions parsed = config::ParseProgramOptions(
        argc, argv, {.program = kProgram, .usage = kUsage, .toolkit_arguments = true});
    std::fputs(parsed.out.c_str(), stdout);
    std::fputs(parsed.err.c_str(), stderr);
    if (!parsed.options) return parsed.exit_code;
    const config::ProgramOptions& options = *parsed.options;

    QApplication app(argc, argv);
    // The icons are compiled into a static library: its resources register only when asked.
    Q_INIT_RESOURCE(resources);
    app.setApplicationName(QStringLiteral("incubator-monitor"));
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/incubator-monitor.svg")));
    // The tray icon keeps the program running while the window is hidden.
    app.setQuitOnLastWindowClosed(false);
    QTranslator translator;
    InstallRussianCatalogue(app, translator);

    const std::string exe = platform::ExecutablePath();
    // The claim on the statistics folder holds until the program ends.
    const config::InstanceStart start =
        options.config.empty()
            ? config::StartOwnInstance(exe, config::ProcessEnvironment, config::FolderTakesFiles)
            : config::StartNamedInstance(options.config, config::ProcessEnvironment, false);
    const config::InstancePaths& paths = start.paths;
    const std::string channel_name =
        config::InstanceSocketName(paths.log_folder, config::ProcessEnvironment);
    if (start.Refused()) return EndSecondCopy(start, channel_name);
    // An installed program's configuration folder may not exist yet.
    config::MakeFolders(platform::FolderOf(paths.configuration_file));

    platform::QtTimerFactory timers;
    PosixSerialBackend serial;
    QtUiThread ui_thread;
    const std::unique_ptr<platform::Sound> sound =
        platform::MakeCanberraSound(platform::FolderOf(exe));
    platform::QtClipboard clipboard;
    platform::QtDialogs dialogs;
    platform::QtDesktopNotifier notifier;
    platform::XdgAutorun autorun = platform::XdgAutorun::ForThisProgram();
    platform::QtUrlOpener url_opener;
    MainWindowServices services(
        timers, serial, ui_thread, [] { return std::make_unique<platform::QtTrayShell>(); }, *sound,
        clipboard, dialogs, autorun, url_opener, paths.configuration_file, paths.log_folder);
    services.notifier = &notifier;
    services.unsaved_dir = paths.unsaved_folder;
    if (options.echo) services.echo_line = config::EchoLine;

    TForm1 form(services);
    // Ends before the window and its engine, saying "offline" on the way.
    mqtt::MqttFeed mqtt_feed(
        paths.configuration_file, form.Engine(), ui_thread,
        [&form](Warning w) {
            w.seconds = kMqttWarningSeconds;
            form.WarnUnattended(w);
        },
        INCUBATOR_VERSION);
    services.stop_publishers = [&mqtt_feed] { mqtt_feed.Stop(); };
    // A logout, shutdown or kill: save the statistics and the settings, ask nothing.
    platform::TerminationSignals ending(
        [&form](const platform::TerminationRequest&) { form.EndWithoutAsking(); });
    // A second start of this instance shows this window, from the tray too.
    platform::InstanceChannel channel(channel_name, [&form] {
        form.TrayIcon1().ShowMainWindow();
        QWidget* front = QApplication::activeModalWidget();
        if (!front) front = &form;
        front->raise();
        front->activateWindow();
    });
    if (!start.file_problem.empty()) WarnAtStart(form, Severity::kError, start.file_problem);
    for (const std::string& notice : start.notices) WarnAtStart(form, Severity::kWarning, notice);
    if (!form.TrayIcon1().StartHidden()) form.show();
    return app.exec();
}
