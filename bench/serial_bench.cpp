// The serial port on a pseudo-terminal with the Qt UI thread:
//   BM_RxCharLatency   write at the master -> OnRxChar running on the GUI thread
//                      (median and 99th percentile over 1000 packets, microseconds)
//   BM_IdleOpenPort    CPU time of the whole process while an open port's line is silent
//                      for 10 s (milliseconds)
//   BM_CloseUnderLoad  ClosePort while packets arrive every millisecond (milliseconds)
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/posix/posix_serial_device.h"
#include "platform/posix/pty_pair.h"
#include "platform/qt/qt_ui_thread.h"
#include "serial/serial_port.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Rig {
    Rig() {
        if (OpenPseudoTerminal(pty) != 0) std::abort();
        port.SetPort(pty.slave_path);
        port.SetBaudRate(br4800);
        port.Timeouts().SetReadInterval(300);
    }
    ~Rig() {
        port.ClosePort();
        ::close(pty.master_fd);
    }
    void Write(const std::uint8_t* bytes, std::size_t n) {
        if (::write(pty.master_fd, bytes, n) != static_cast<ssize_t>(n)) std::abort();
    }

    PseudoTerminal pty;
    QtUiThread ui;
    PosixSerialBackend backend;
    TSerialPort port{backend, ui};
};

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

double ProcessCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void BM_RxCharLatency(benchmark::State& state) {
    Rig rig;
    Clock::time_point handled;
    bool got = false;
    rig.port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        handled = Clock::now();
        std::uint8_t buf[260];
        p.ReadBytes(buf, std::min<std::size_t>(static_cast<std::size_t>(count), sizeof buf));
        got = true;
    };
    rig.port.OpenPort();
    const std::uint8_t packet[8] = {0x02, 0x58, 0x02, 0x4A, 0x02, 0xD0, 0x01, 0x00};
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        for (int i = 0; i < 1000; ++i) {
            got = false;
            const auto sent = Clock::now();
            rig.Write(packet, sizeof packet);
            while (!got) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
            latencies.push_back(std::chrono::duration<double, std::micro>(handled - sent).count());
        }
    }
    state.counters["median_us"] = Percentile(latencies, 0.5);
    state.counters["p99_us"] = Percentile(latencies, 0.99);
    state.counters["max_us"] = Percentile(latencies, 1.0);
}
BENCHMARK(BM_RxCharLatency)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_IdleOpenPort(benchmark::State& state) {
    Rig rig;
    rig.port.OnRxChar = [](TCustomSerialPort&, int) {};
    rig.port.OpenPort();
    double cpu_ms = 0;
    for (auto _ : state) {
        const double before = ProcessCpuMs();
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        cpu_ms = ProcessCpuMs() - before;
    }
    state.counters["cpu_ms_per_10s"] = cpu_ms;
}
BENCHMARK(BM_IdleOpenPort)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CloseUnderLoad(benchmark::State& state) {
    Rig rig;
    rig.port.OnRxChar = [](TCustomSerialPort& p, int count) {
        std::uint8_t buf[260];
        p.ReadBytes(buf, std::min<std::size_t>(static_cast<std::size_t>(count), sizeof buf));
    };
    std::atomic<bool> writing{true};
    std::jthread writer([&] {
        const std::uint8_t packet[8] = {1, 2, 3, 4, 5, 6, 7, 1};
        while (writing) {
            [[maybe_unused]] const auto n = ::write(rig.pty.master_fd, packet, sizeof packet);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::vector<double> close_ms;
    for (auto _ : state) {
        for (int round = 0; round < 50; ++round) {
            rig.port.OpenPort();
            const auto until = Clock::now() + std::chrono::milliseconds(50);
            while (Clock::now() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const auto start = Clock::now();
            rig.port.ClosePort();
            close_ms.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    writing = false;
    state.counters["close_median_ms"] = Percentile(close_ms, 0.5);
    state.counters["close_max_ms"] = Percentile(close_ms, 1.0);
}
BENCHMARK(BM_CloseUnderLoad)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
