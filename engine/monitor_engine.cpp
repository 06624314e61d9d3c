#include "engine/monitor_engine.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "engine/alarm_rules.h"
#include "engine/autosave_period.h"
#include "engine/cut_packets.h"
#include "engine/port_open_failure.h"
#include "engine/statistics/journal_recovery.h"
#include "engine/statistics/unsaved_lines.h"
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
constexpr unsigned kFileWarningSeconds = 30;
constexpr unsigned kPortWarningSeconds = 50;

Warning FileWarning(Severity severity, const statistics::AutosaveWarning& warning) {
    return {severity, warning.title, warning.text, kFileWarningSeconds};
}

}  // namespace

MonitorEngine::MonitorEngine(EngineServices services, EngineFrontEnd& front, EngineOptions options)
    : services_(std::move(services)),
      front_(front),
      options_(options),
      receiver_(TelemetryContext{settings_, limits_, alarms_, pending_, services_.now,
                                 services_.echo_line}),
      port_(services_.serial, services_.logic_thread) {
    CreateTimers();
    CreatePort();
    CreateStatistics();
}

MonitorEngine::~MonitorEngine() {
    port_.OnRxChar = nullptr;
    port_.OnConnectionLost = nullptr;
    reopener_->Stop();
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
        front_.Warn({Severity::kError, services_.title, e.what(), kStepFailedSeconds});
    }
}

template <typename F>
void MonitorEngine::Notify(F&& call) {
    const EngineListeners listeners = *listeners_;
    for (EngineListener* listener : listeners)
        // A listener's failure is its own: reception and the other listeners go on. One whose
        // subscription ended meanwhile hears no more.
        if (std::find(listeners_->begin(), listeners_->end(), listener) != listeners_->end())
            Unattended([&] { call(*listener); });
}

EngineSubscription MonitorEngine::AddListener(EngineListener& listener) {
    listeners_->push_back(&listener);
    return EngineSubscription(listeners_, listener);
}

AlarmReport MonitorEngine::Alarming() const {
    return ReportAlarms(alarms_, settings_, silent_, port_lost_);
}

void MonitorEngine::PublishAlarms() {
    const AlarmReport now = Alarming();
    if (now == published_) return;
    published_ = now;
    Notify([&](EngineListener& l) { l.AlarmsChanged(published_); });
}

void MonitorEngine::FollowPortLoss() {
    if (reopener_->Retrying() != port_lost_) {
        port_lost_ = !port_lost_;
        const std::string& name = port_.Port();
        if (port_lost_)
            Notify([&](EngineListener& l) { l.PortLost(name); });
        else if (port_.Connected())
            Notify([&](EngineListener& l) { l.PortRegained(name); });
    }
    PublishAlarms();
}

void MonitorEngine::CreateTimers() {
    auto make = [this](std::uint32_t ms, void (MonitorEngine::*step)()) {
        std::unique_ptr<platform::Timer> t = services_.timers.CreateTimer();
        t->SetInterval(ms);
        t->SetTickHandler([this, step] { Unattended([&] { (this->*step)(); }); });
        return t;
    };
    assembly_timer_ = make(kAssemblyTimeoutMs, &MonitorEngine::OnAssemblyTimeout);
    watchdog_timer_ = make(kNoDataMs, &MonitorEngine::OnSilence);
    autosave_timer_ = services_.timers.CreateTimer();
    autosave_timer_->SetInterval(AutosaveIntervalMs(settings_.AutosaveMinutes));
    autosave_timer_->SetTickHandler([this] { Unattended([&] { Autosave(); }); });
    watchdog_timer_->SetEnabled(true);
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
    port_.OnRxChar = [this](TCustomSerialPort& port, int count) {
        std::exception_ptr gone;
        Unattended([&] {
            try {
                OnBytesWaiting(
                    static_cast<std::size_t>(std::max(count, 0)),
                    [&port](std::uint8_t* buffer, std::size_t size) {
                        return port.ReadBytes(buffer, size);
                    },
                    port.RxArrival().quiet);
            } catch (const ESerialPort& e) {
                if (!IsHangUpError(e.SystemCode())) throw;
                gone = std::current_exception();
            }
        });
        // The device went away: handed back, it ends the event thread, and the port's notice
        // of the lost line tells the user in words of the program.
        if (gone) std::rethrow_exception(gone);
    };
    port_.OnConnectionLost = [this](TCustomSerialPort&) { Unattended([&] { OnPortLost(); }); };
    reopener_ = std::make_unique<PortReopener>(port_, services_.timers,
                                               [this](const Warning& w) { front_.Warn(w); });
    reopener_->OnReopened = [this] {
        // Bytes held from before the loss belong to no packet of the new line.
        receiver_.ResetAssembly();
        FollowPortLoss();
    };
}

void MonitorEngine::Start() {
    receiver_.ResetAssembly();
    try {
        front_.PortStartedChanged(true);
        reopener_->Open();
    } catch (const ESerialPort& e) {
        front_.PortStartedChanged(false);
        front_.Warn({Severity::kWarning, "Внимание!", PortOpenFailureText(port_.Port(), e),
                     kPortWarningSeconds});
    }
    FollowPortLoss();
}

void MonitorEngine::Stop() {
    receiver_.ResetAssembly();
    try {
        // While the port is tried again it counts as started: Stop ends the attempts.
        front_.PortStartedChanged(false);
        reopener_->Stop();
        port_.ClosePort();
    } catch (const ESerialPort& e) {
        front_.Warn({Severity::kWarning, "Внимание!", PortOpenFailureText(port_.Port(), e),
                     kPortWarningSeconds});
    }
    FollowPortLoss();
}

void MonitorEngine::StartAtLaunch() {
    receiver_.ResetAssembly();
    front_.PortStartedChanged(true);
    reopener_->OpenAtStart();
    FollowPortLoss();
}

void MonitorEngine::OnPortLost() {
    // Still started: Stop now ends the attempts to reopen.
    reopener_->Lost();
    FollowPortLoss();
}

void MonitorEngine::ClosePort() {
    ReportCutPackets(services_.program, receiver_.CutPackets());
    reopener_->Stop();
    port_.ClosePort();
    front_.PortStartedChanged(false);
    FollowPortLoss();
}

void MonitorEngine::CreateStatistics() {
    journal_ = std::make_unique<statistics::LineJournal>(
        services_.files, services_.log_dir, services_.timers,
        [this](const Warning& w) { front_.Warn(w); });
    journal_->WriteOncePerTurn(services_.logic_thread);
    autosaver_ = std::make_unique<statistics::Autosaver>(
        services_.files, services_.log_dir, [this] { return LocalDateTimeAt(services_.now()); });
    autosaver_->SetWrites(journal_.get());
    pending_.SetFollower([this](const std::string& lines) { journal_->Follow(lines); });
}

void MonitorEngine::LoadPortSettings(const std::string& ini_path) {
    port_.RestoreSettings(skIniFile, ini_path);
}

void MonitorEngine::SavePortSettings(const std::string& ini_path) {
    port_.SaveSettings(skIniFile, ini_path);
}

void MonitorEngine::ConfigurePort(const std::function<void(TCustomSerialPort& port)>& change) {
    change(port_);
}

void MonitorEngine::ApplySettings(const EngineSettings& settings) {
    settings_ = settings;
    FollowAutosavePeriod(settings_, *autosave_timer_);
    PublishAlarms();  // the alarm switches may have changed
}

void MonitorEngine::Log(const std::string& line) const {
    if (options_.warnings_on_standard_error) return;
    std::fprintf(stderr, "%s: %s\n", services_.program.c_str(), line.c_str());
    std::fflush(stderr);
}

void MonitorEngine::RecoverJournal() {
    const statistics::JournalRecovery recovery = pending_.TakeWith([this](std::string& lines) {
        return statistics::RecoverJournal(*journal_, *autosaver_, lines);
    });
    if (recovery.lines == 0) return;
    const statistics::AutosaveResult& autosave = recovery.autosave;
    if (autosave.warning) front_.Warn(FileWarning(Severity::kError, *autosave.warning));
    if (autosave.clock_warning)
        front_.Warn(FileWarning(Severity::kWarning, *autosave.clock_warning));
    Log(recovery.notice);
    // All saved, it only tells what happened; else the lines still wait for a file.
    front_.Warn({autosave.saved ? Severity::kNotice : Severity::kWarning, "Внимание!",
                 recovery.notice, kFileWarningSeconds});
}

statistics::AutosaveResult MonitorEngine::Autosave(bool new_file_starts_display) {
    return AutosaveStep(new_file_starts_display, true);
}

statistics::AutosaveResult MonitorEngine::AutosaveStep(bool new_file_starts_display, bool warn) {
    const statistics::AutosaveResult result =
        pending_.TakeWith([this](std::string& lines) { return autosaver_->Step(lines); });
    // The first autosave of a day starts the display afresh: its lines are in the new file.
    if (result.created_new_file && new_file_starts_display) StartAfresh();
    if (result.warning && warn) front_.Warn(FileWarning(Severity::kError, *result.warning));
    if (result.clock_warning) front_.Warn(FileWarning(Severity::kWarning, *result.clock_warning));
    return result;
}

void MonitorEngine::LastAutosave(const std::string& unsaved_dir) {
    // No later step will try again: its warning would promise one.
    const statistics::AutosaveResult result = AutosaveStep(false, false);
    if (pending_.Empty()) return;
    const std::string& unsaved = pending_.Text();
    const statistics::KeptLines kept = statistics::KeepUnsavedLines(
        services_.files, unsaved_dir, LocalDateTimeAt(services_.now()), unsaved);
    // Kept elsewhere, they must not come back at the next start; else the journal keeps them
    // for it.
    if (kept.error == 0)
        journal_->Dropped(unsaved.size());
    else
        journal_->Sync();
    const std::string notice = statistics::UnsavedLinesNotice(result, kept);
    // The notice before the lines it tells of, on standard error; a warning shown elsewhere
    // comes after them, so that nothing it waits for holds them up.
    const bool warning_first = options_.warnings_on_standard_error;
    // Lines on standard error alone are at their last place.
    const Warning warning{kept.error != 0 ? Severity::kError : Severity::kWarning, "Внимание!",
                          notice, kFileWarningSeconds};
    if (warning_first) front_.Warn(warning);
    Log(notice);
    if (kept.error != 0) {
        // The last place left: the lines themselves, one to a line.
        const std::string_view lines =
            std::string_view(unsaved).substr(unsaved.starts_with("\r\n") ? 2 : 0);
        for (const char c : lines)
            if (c != '\r') std::fputc(c, stderr);
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
    pending_.Forget();
    if (!warning_first) front_.Warn(warning);
}

void MonitorEngine::OnBytesWaiting(std::size_t count, const TelemetryReceiver::ByteReader& read,
                                   std::chrono::nanoseconds quiet_before) {
    watchdog_timer_->SetEnabled(false);
    assembly_timer_->SetEnabled(false);
    // Both count their full interval from this event whatever the reading throws: a watchdog
    // left off would never again warn of silence.
    const AtScopeEnd rearm([this] {
        watchdog_timer_->SetEnabled(true);
        assembly_timer_->SetEnabled(true);
    });
    receiver_.ReceiveEvent(count, read, *this, quiet_before);
    PublishAlarms();  // the no-data alarm ends with any byte
}

void MonitorEngine::OnAssemblyTimeout() {
    if (!port_.Connected()) return;
    assembly_timer_->SetEnabled(false);
    // A whole packet held for what would follow it is taken, a partial packet goes. What the
    // port holds stays: it came after the silence and begins a packet (at 2 packets a second
    // the next one is due just now).
    receiver_.LineSilent(*this);
}

void MonitorEngine::OnSilence() {
    receiver_.ResetAssembly();
    const std::optional<std::string> text =
        NoDataWarningText(settings_, port_.Connected(), port_.Port());
    if (!text) return;
    front_.Warn({Severity::kWarning, "Внимание!", *text, kAlarmWarningSeconds});
    if (settings_.SignalOffDataSound) alarms_.AlarmNoData = true;
    silent_ = true;
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

void MonitorEngine::DecodePacket(std::span<const std::uint8_t> packet) {
    receiver_.DecodePacket(packet, *this);
}

void MonitorEngine::ChecksumMismatch() {
    front_.Warn({Severity::kWarning, "Ошибка в данных!", "Не совпадает контрольная сумма.", 20});
}

void MonitorEngine::StartAfresh() {
    lines_ = 0;
    front_.DisplayStartsAfresh();
}

void MonitorEngine::SampleDecoded(const TelemetrySample& sample) {
    silent_ = false;
    if (options_.clear_alarms_when_back_inside)
        ClearAlarmsBackInside(alarms_, limits_, sample.values);
    lines_ = sample.history_index + 1;
    // Listeners first: what the front end draws from (a chart's history) holds the sample.
    Notify([&](EngineListener& l) { l.SampleReceived(sample); });
    front_.SampleDecoded(sample);
    if (sample.display_full) {
        // The lines start again at index 0, and the display with them, once they are saved.
        AutosaveStep(false, true);
        StartAfresh();
    }
    PublishAlarms();
}
