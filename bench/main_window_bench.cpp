// One received packet on a shown main window (offscreen): from the bytes arriving at the
// device to the window idle again, the handler, the display, the chart refill and both
// repaints included; with 5,000 and with 80,000 lines already in the display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStringList>
#include <chrono>
#include <memory>

#include "app/qt/form1.h"
#include "app/tests/packet_bytes.h"
#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/doubles/recording_clipboard.h"
#include "platform/doubles/recording_desktop_notifier.h"
#include "platform/doubles/recording_sound.h"
#include "platform/doubles/recording_tray_shell.h"
#include "platform/doubles/recording_window_alert.h"
#include "platform/doubles/scripted_dialogs.h"
#include "platform/doubles/virtual_clock.h"
#include "ui_form1.h"

namespace {

struct Bench {
    platform::VirtualClock clock;
    FakeSerialBackend backend;
    std::shared_ptr<FakeSerialLine> line = backend.AddPort("COM7");
    QueuedUiThread ui_thread;
    platform::RecordingTrayShell tray{&clock};
    platform::RecordingSound sound;
    platform::RecordingClipboard clipboard;
    platform::ScriptedDialogs dialogs;
    platform::RecordingDesktopNotifier notifier;
    platform::RecordingWindowAlert alert;
    MainWindowServices services{clock,
                                backend,
                                ui_thread,
                                [this] { return tray.Handle(); },
                                sound,
                                clipboard,
                                dialogs,
                                "/nonexistent/incubator-monitor.ini",
                                "/nonexistent/log"};
    bool linked = [this] {
        services.notifier = &notifier;
        services.alert = &alert;
        return true;
    }();
    TForm1 form{services};

    explicit Bench(int lines) {
        form.resize(900, 700);
        form.show();
        QStringList text;
        const QString line_text =
            QStringLiteral("T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=_2__5___  06.12.26 12:34:56");
        for (int i = 0; i < lines; ++i) text << line_text;
        form.ui().Memo1->setPlainText(text.join('\n'));
        form.ComPort1().SetPort("COM7");
        form.SpBtnOpenComClick();
        Idle();
    }
    // Posted events, then the repaints they asked for.
    static void Idle() {
        for (int i = 0; i < 2; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }
    void OnePacket(unsigned t1) {
        const std::size_t before = form.Display().Count();
        line->Feed(test_packets::Eight(0x02, t1, 590, 500));
        ui_thread.RunUntil([&] { return form.Display().Count() > before; },
                           std::chrono::seconds(5));
        Idle();
    }
};

void BM_ReceivedPacket(benchmark::State& state) {
    Bench bench(static_cast<int>(state.range(0)));
    unsigned t1 = 590;
    for (auto _ : state) bench.OnePacket(t1++ % 40 + 580);
    state.counters["lines"] = static_cast<double>(bench.form.Display().Count());
}
BENCHMARK(BM_ReceivedPacket)
    ->Arg(5000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
