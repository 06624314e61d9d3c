// Writes the pictures in docs/: the main window after 200 samples of a simulated controller,
// the analysis window over them and the settings dialog. Runs on the offscreen platform with
// test doubles.
//   incubator-screenshots <output folder>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/qt/form1.h"
#include "app/qt/tests/double_services.h"
#include "tools/controller_model.h"
#include "ui_form1.h"

namespace {

bool Save(QWidget& widget, const std::filesystem::path& path) {
    const bool ok = widget.grab().save(QString::fromStdString(path.string()));
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::filesystem::path out = argc > 1 ? argv[1] : "docs";
    std::filesystem::create_directories(out);
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / "incubator-screenshots";
    std::filesystem::create_directories(scratch);

    DoubleServices doubles;
    auto line = doubles.backend.AddPort("/dev/ttyUSB0");
    const auto services =
        doubles.Make((scratch / "monitor.ini").string(), (scratch / "log").string());
    LocalDateTime& now = doubles.now;
    now = {2026, 12, 6, 12, 0, 0};

    std::ofstream(scratch / "monitor.ini") << "[Programm]\nSHT10=1\n";
    TForm1 form(*services);
    form.ui().ChBoxGrafNagrev->setChecked(true);
    form.ChBoxGrafNagrevClick();
    form.SetPortName("/dev/ttyUSB0");
    form.show();
    // Larger than the offscreen screen, which the window is held to when it is first shown.
    QApplication::processEvents();
    form.resize(900, 720);
    form.SpBtnOpenComClick();

    ControllerModel model({.nine_byte = true, .alarms = false, .tray_period_s = 40, .seed = 7});
    for (int i = 0; i < 200; ++i) {
        now.second = i % 60;
        now.minute = i / 60;
        line->Feed(model.NextPacket(1.0));
        doubles.ui_thread.RunUntil(
            [&] { return form.Display().Count() > static_cast<std::size_t>(i); },
            std::chrono::seconds(5));
    }
    form.ui().ScrollBarXScale->setValue(150);  // a 200-sample window
    form.ui().ScrollBarGainY->setValue(0);     // 28 to 78: temperatures and humidity together
    form.ui().ScrollBarPosY->setValue(220);
    form.FillChart(static_cast<int>(form.Display().Count()) - 1);
    QApplication::processEvents();
    bool ok = Save(form, out / "screenshot.png");

    // A modal window opened from the menu, pictured once it is up and then closed.
    auto save_modal = [&](QAction* open, const char* file) {
        QTimer::singleShot(100, [&ok, &out, file] {
            auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ok = window != nullptr && Save(*window, out / file) && ok;
            if (window != nullptr) window->reject();
        });
        open->trigger();
    };
    save_modal(form.ui().N16, "analysis.png");
    save_modal(form.ui().N3, "settings.png");
    form.SpBtnOpenComClick();
    std::filesystem::remove_all(scratch);
    return ok ? 0 : 1;
}
