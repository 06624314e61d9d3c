#include "engine/port_reopener.h"

#include "engine/port_open_failure.h"

namespace {

constexpr const char* kTitle = "Внимание!";
constexpr const char* kRetryLine = "\nПопытки открыть его повторяются каждые 5 секунд.";
constexpr unsigned kWarningSeconds = 50;
constexpr unsigned kBackSeconds = 20;

}  // namespace

PortReopener::PortReopener(TCustomSerialPort& port, platform::TimerFactory& timers, Warn warn)
    : port_(port), warn_(std::move(warn)), timer_(timers.CreateTimer()) {
    timer_->SetInterval(kRetryMs);
    timer_->SetTickHandler([this] { Attempt(); });
}

std::string PortReopener::LostText(const std::string& port) {
    return "Потеряна связь с портом: " + port + kRetryLine;
}

std::string PortReopener::ReopenedText(const std::string& port) {
    return "Связь с портом восстановлена: " + port;
}

void PortReopener::Open() {
    port_.OpenPort();
    port_.SetDtrLine(true);
    port_.SetRtsLine(false);
}

void PortReopener::OpenAtStart() {
    try {
        Open();
    } catch (const ESerialPort& e) {
        if (port_.Connected()) port_.ClosePort();
        warn_(kTitle, PortOpenFailureText(port_.Port(), e) + kRetryLine, kWarningSeconds);
        Retry();
    }
}

void PortReopener::Lost() {
    if (port_.Connected() || Retrying()) return;
    warn_(kTitle, LostText(port_.Port()), kWarningSeconds);
    Retry();
}

void PortReopener::Stop() {
    timer_->Stop();
}

void PortReopener::Retry() {
    timer_->Start();
}

void PortReopener::Attempt() {
    if (port_.Connected()) {  // opened meanwhile by other means
        Stop();
        return;
    }
    try {
        Open();
    } catch (const std::exception&) {
        // Silent: the warning was given once. A port that opened but refused DTR or RTS is
        // tried again as a whole.
        try {
            if (port_.Connected()) port_.ClosePort();
        } catch (const std::exception&) {
        }
        return;
    }
    Stop();
    if (OnReopened) OnReopened();
    warn_(kTitle, ReopenedText(port_.Port()), kBackSeconds);
}
