#include "engine/port_reopener.h"

#include "engine/port_open_failure.h"

namespace {

constexpr const char* kTitle = "Внимание!";
constexpr const char* kRetryLine = "\nПопытки открыть его повторяются каждые 5 секунд.";
constexpr unsigned kWarningSeconds = 50;
constexpr unsigned kBackSeconds = 20;

}  // namespace

PortReopener::PortReopener(TCustomSerialPort& port, platform::TimerFactory& timers,
                           WarningSink warn)
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
    try {
        port_.SetDtrLine(true);
        port_.SetRtsLine(false);
    } catch (const std::exception&) {
        // A port that refused its lines is not started: closed, it is opened again as a whole.
        try {
            port_.ClosePort();
        } catch (const std::exception&) {
        }
        throw;
    }
}

void PortReopener::OpenAtStart() {
    try {
        Open();
    } catch (const ESerialPort& e) {
        warn_({Severity::kWarning, kTitle, PortOpenFailureText(port_.Port(), e) + kRetryLine,
               kWarningSeconds});
        Retry();
    }
}

void PortReopener::Lost() {
    if (port_.Connected() || Retrying()) return;
    warn_({Severity::kWarning, kTitle, LostText(port_.Port()), kWarningSeconds});
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
        return;  // silent: the warning was given once
    }
    Stop();
    if (OnReopened) OnReopened();
    warn_({Severity::kNotice, kTitle, ReopenedText(port_.Port()), kBackSeconds});
}
