// Test support, preloaded into the window program (LD_PRELOAD) so that an end-to-end test can
// act as the person at the window. With INCUBATOR_PROBE_DIR set, it writes the window's state to
// <dir>/state every 50 ms ("visible=1" and "modal=<text of the open message box>", one a line)
// and carries out a request put into <dir>/request (removed once taken): "trigger NAME" triggers
// the action NAME (N1 is Файл → Выход), "hide" hides the main window as the tray's "Скрыть" does.
#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QMessageBox>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kTickMs = 50;

QString ProbeFile(const char* name) {
    return QString::fromLocal8Bit(qgetenv("INCUBATOR_PROBE_DIR")) + QLatin1Char('/') +
           QLatin1String(name);
}

QWidget* MainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("TForm1")) return widget;
    return nullptr;
}

void WriteState() {
    QWidget* window = MainWindow();
    QByteArray state = "visible=" + QByteArray(window && window->isVisible() ? "1" : "0") + "\n";
    if (const auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        state += "modal=" + box->text().toUtf8() + "\n";
    QSaveFile file(ProbeFile("state"));
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(state);
    file.commit();
}

void Carry(const QByteArray& request) {
    QWidget* window = MainWindow();
    if (!window) return;
    if (request == "hide") {
        window->hide();
        return;
    }
    if (!request.startsWith("trigger ")) return;
    const QString name = QString::fromUtf8(request.mid(8));
    if (auto* action = window->findChild<QAction*>(name)) action->trigger();
}

void Tick() {
    WriteState();
    QFile file(ProbeFile("request"));
    QByteArray request;
    if (file.open(QIODevice::ReadOnly)) {
        request = file.readAll().trimmed();
        file.close();
        file.remove();
    }
    // Re-armed first: a triggered action may open a modal box whose own loop runs the ticks.
    QTimer::singleShot(kTickMs, qApp, Tick);
    if (!request.isEmpty()) Carry(request);
}

void Install() {
    if (qEnvironmentVariableIsEmpty("INCUBATOR_PROBE_DIR")) return;
    QTimer::singleShot(kTickMs, qApp, Tick);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
