#include "engine/monitor_engine.h"

#include <algorithm>
#include <exception>

#include "engine/alarm_rules.h"
#include "platform/serial_device_flags.h"

namespace {

// Runs its step when the scope ends, also by an exception.
template <typename F>
class AtScopeEnd {
  public:
    explicit AtScopeEnd(F f) : f_(std::move(f)) {}
    ~AtScopeEnd() { f_(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

  private:
    F f_;
};

constexpr unsigned kStepFailedSeconds = 20;

}  // namespace

MonitorEngine::MonitorEngine(EngineServices services, EngineFrontEnd& front)
    : services_(std::move(services)),
      front_(front),
      receiver_(
          TelemetryContext{settings_, limits_, alarms_, save_buffer_, history_, services_.now}),
      port_(services_.serial, services_.ui_thread) {
    CreateTimers();
    CreatePort();
}

MonitorEngine::~MonitorEngine() {
    port_.OnRxChar = nullptr;
    port_.OnConnectionLost = nullptr;
    try {
        port_.ClosePort();
    } catch (...) {
    }
}

template <typename F>
void MonitorEngine::Unattended(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        front_.Warn(services_.title, e.what(), kStepFailedSeconds);
    }
}

template <typename F>
void MonitorEngine::Notify(F&& call) {
    const std::vector<EngineListener*> listeners = listeners_;
    for (EngineListener* listener : listeners)
        // A listener's failure is its own: reception and the other listeners go on.
        if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end())
            Unattended([&] { call(*listener); });
}

void MonitorEngine::AddListener(EngineListener& listener) {
    if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end())
        listeners_.push_back(&listener);
}

void MonitorEngine::RemoveListener(EngineListener& listener) {
    std::erase(listeners_, &listener);
}

void MonitorEngine::PublishAlarms() {
    const bool lost = false;
    if (alarms_ == published_alarms_ && lost == published_port_lost_) return;
    published_alarms_ = alarms_;
    published_port_lost_ = lost;
    Notify([&](EngineListener& l) { l.AlarmsChanged(published_alarms_, lost); });
}

void MonitorEngine::CreateTimers() {
    auto make = [this](std::uint32_t ms, void (MonitorEngine::*step)()) {
        std::unique_ptr<platform::Timer> t = services_.timers.CreateTimer();
        t->SetInterval(ms);
        t->SetTickHandler([this, step] { Unattended([&] { (this->*step)(); }); });
        return t;
    };
    timer_reset_rx_ = make(kResetRxMs, &MonitorEngine::TimerResetRxUartTimer);
    timer_signal_off_ = make(kNoDataMs, &MonitorEngine::TimerSignalOFFDataTimer);
    timer_signal_off_->SetEnabled(true);
}

void MonitorEngine::CreatePort() {
    // The component's design values; the configuration file's replace them.
    port_.SetName("ComPort1");
    port_.SetBaudRate(br4800);
    port_.SetDataBits(dbEight);
    port_.SetStopBits(sbOneStopBit);
    port_.Parity().SetBits(prNone);
    port_.FlowControl().SetFlowControl(fcNone);
    port_.Timeouts().SetReadInterval(300);
    port_.OnRxChar = [this](TCustomSerialPort& sender, int count) {
        std::exception_ptr gone;
        Unattended([&] {
            try {
                ComPort1RxChar(sender, count);
            } catch (const ESerialPort& e) {
                if (!IsHangUpError(e.SystemCode())) throw;
                gone = std::current_exception();
            }
        });
        // The device went away: handed back, it ends the event thread, and the port's notice
        // of the lost line tells the user in words of the program.
        if (gone) std::rethrow_exception(gone);
    };
}

void MonitorEngine::ComPort1RxChar(TCustomSerialPort& sender, int count) {
    timer_signal_off_->SetEnabled(false);
    timer_reset_rx_->SetEnabled(false);
    // Both count their full interval from this event whatever the reading throws: a watchdog
    // left off would never again warn of silence.
    const AtScopeEnd rearm([this] {
        timer_signal_off_->SetEnabled(true);
        timer_reset_rx_->SetEnabled(true);
    });
    receiver_.ReceiveEvent(
        static_cast<std::size_t>(std::max(count, 0)),
        [&sender](std::uint8_t* buffer, std::size_t size) {
            return sender.ReadBytes(buffer, size);
        },
        *this, sender.RxArrival().quiet);
    PublishAlarms();  // the no-data alarm ends with any byte
}

void MonitorEngine::TimerResetRxUartTimer() {
    if (!port_.Connected()) return;
    receiver_.ResetAssembly();
    timer_reset_rx_->SetEnabled(false);
    try {
        port_.PurgeBuffers(true, true);
    } catch (const ESerialPort& e) {
        // The device went away: the port's notice of the lost line follows and tells of it.
        if (!IsHangUpError(e.SystemCode())) throw;
    }
}

void MonitorEngine::TimerSignalOFFDataTimer() {
    receiver_.ResetAssembly();
    const std::optional<std::string> text =
        NoDataWarningText(settings_, port_.Connected(), port_.Port());
    if (!text) return;
    front_.Warn("Внимание!", *text, kAlarmBalloonSeconds);
    if (settings_.SignalOffDataSound) alarms_.AlarmNoData = true;
    Notify([](EngineListener& l) { l.NoData(); });
    PublishAlarms();
}

void MonitorEngine::Acknowledge(AlarmChannel channel) {
    AcknowledgeChannel(alarms_, channel);
    PublishAlarms();
}

void MonitorEngine::AcknowledgeAll() {
    ::AcknowledgeAll(alarms_);
    PublishAlarms();
}

void MonitorEngine::DecodeTestPacket(std::span<const std::uint8_t> packet) {
    receiver_.DecodePacket(packet, *this);
}

void MonitorEngine::ChecksumMismatch() {
    front_.Warn("Ошибка в данных!", "Не совпадает контрольная сумма.", 20);
}

std::size_t MonitorEngine::DisplayLineCount() const {
    return front_.DisplayLineCount();
}

void MonitorEngine::SampleDecoded(const TelemetrySample& sample) {
    // Echoed before the journal has it: a line echoed may be lost by a kill, none is saved
    // unechoed.
    if (services_.echo_line) services_.echo_line(sample.record_line);
    front_.SampleDecoded(sample);
    Notify([&](EngineListener& l) { l.SampleReceived(sample); });
    PublishAlarms();
}
