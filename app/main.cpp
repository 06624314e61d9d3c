// incubator-monitor: the program's entry. It makes the desktop's services, the main window,
// and runs the event loop until the main window's close is accepted.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "app/qt/form1.h"
#include "platform/posix/canberra_sound.h"
#include "platform/posix/executable_path.h"
#include "platform/posix/posix_serial_device.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_desktop_notifier.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/qt_tray_shell.h"
#include "platform/qt/qt_ui_thread.h"

namespace {

// The toolkit's own texts in Russian: the standard buttons read "Да", "Нет", "Отмена".
void InstallRussianCatalogue(QApplication& app, QTranslator& translator) {
    if (translator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

std::string WithoutExtension(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
    return path.substr(0, dot);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("incubator-monitor"));
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/incubator-monitor.svg")));
    // The tray icon keeps the program running while the window is hidden.
    app.setQuitOnLastWindowClosed(false);
    QTranslator translator;
    InstallRussianCatalogue(app, translator);

    const std::string exe = platform::ExecutablePath();
    const std::string folder = platform::FolderOf(exe);

    platform::QtTimerFactory timers;
    PosixSerialBackend serial;
    QtUiThread ui_thread;
    const std::unique_ptr<platform::Sound> sound = platform::MakeCanberraSound(folder);
    platform::QtClipboard clipboard;
    platform::QtDialogs dialogs;
    platform::QtDesktopNotifier notifier;
    MainWindowServices services{
        timers,         serial,
        ui_thread,      [] { return std::make_unique<platform::QtTrayShell>(); },
        *sound,         clipboard,
        dialogs,        &notifier,
        nullptr,        WithoutExtension(exe) + ".ini",
        folder + "/log"};

    TForm1 form(services);
    if (!form.TrayIcon1().StartHidden()) form.show();
    return app.exec();
}
