#pragma once
// MonitorEngine: the monitoring, for any front end. Bytes from the serial port become
// packets, samples, record lines and the latched alarm flags; the engine owns the port, the
// settings, limits and flags, the autosave's buffer, the count of lines since the display last
// started afresh, and the timers of the data path. A front end (the window, the service) shows
// what it decodes; listeners follow it (a chart's sample history is one). Callers read the
// state through const views and change it only through commands, which keep what depends on
// it in step (the journal with the pending lines, the listeners with the flags, the autosave
// timer with the settings).
//
// Qt-free: everything comes through EngineServices. Everything runs on the program's logic
// thread; the port's event thread hands its events over to it. A step that a timer or the
// port starts reports a failure as a warning; a command that a front end calls throws, so
// that the front end reports it as it reports its user's actions.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/alarm_rules.h"
#include "engine/alarm_state.h"
#include "engine/engine_front_end.h"
#include "engine/engine_listener.h"
#include "engine/engine_services.h"
#include "engine/engine_settings.h"
#include "engine/engine_subscription.h"
#include "engine/pending_lines.h"
#include "engine/port_reopener.h"
#include "engine/statistics/autosaver.h"
#include "engine/statistics/line_journal.h"
#include "engine/telemetry_receiver.h"
#include "serial/serial_led.h"
#include "serial/serial_port.h"

// How a front end wants its engine to behave where the programs differ.
struct EngineOptions {
    // A channel's latched alarm flag clears by itself when a sample is back inside the
    // limits (a program nobody acknowledges in); else only an acknowledgement clears it.
    bool clear_alarms_when_back_inside = false;
    // The front end's warnings go to standard error already: the engine writes no copy of
    // its own there.
    bool warnings_on_standard_error = false;
};

class MonitorEngine : private TelemetrySink {
  public:
    static constexpr std::uint32_t kAssemblyTimeoutMs = 500;  // a silence inside a packet drops it
    static constexpr std::uint32_t kNoDataMs = 3000;          // the watchdog

    MonitorEngine(EngineServices services, EngineFrontEnd& front, EngineOptions options = {});
    // Closes the port first: no event reaches a half-destroyed engine or front end.
    ~MonitorEngine() override;
    MonitorEngine(const MonitorEngine&) = delete;
    MonitorEngine& operator=(const MonitorEngine&) = delete;

    // --- the views
    const TSerialPort& Port() const { return port_; }
    const EngineSettings& Settings() const { return settings_; }
    const AlarmLimits& Limits() const { return limits_; }
    const AlarmFlags& Alarms() const { return alarms_; }
    // The record lines since the display last started afresh: the next line's index.
    std::size_t LineCount() const override { return lines_; }
    // Record lines awaiting the autosave, each preceded by CR LF.
    const std::string& UnsavedLines() const { return pending_.Text(); }
    const platform::Timer& AutosaveTimer() const { return *autosave_timer_; }
    // The port counts as started while open and while it is being opened again.
    bool PortStarted() const { return port_.Connected() || reopener_->Retrying(); }
    // The started port lost its device (or could not be opened at start) and is being opened
    // again every PortReopener::kRetryMs.
    bool PortLost() const { return port_lost_; }
    // The alarms as listeners are told of them, now.
    AlarmReport Alarming() const;

    // --- the commands
    // Replaces the settings; the autosave timer follows their period (a period that stays the
    // same leaves it counting).
    void ApplySettings(const EngineSettings& settings);
    // The settings dialog opened on the stored autosave period: from now on it decides whether
    // lines are kept for the autosave, while the autosave timer keeps its count until settings
    // are applied.
    void TakeAutosavePeriod(int minutes) { settings_.AutosaveMinutes = minutes; }
    // Replaces the alarm limits; the next sample is measured against them.
    void SetLimits(const AlarmLimits& limits) { limits_ = limits; }
    // The port's settings: read from and written to a configuration file, or changed by
    // `change` (the settings dialog, a device named by hand).
    void LoadPortSettings(const std::string& ini_path);
    void SavePortSettings(const std::string& ini_path);
    void ConfigurePort(const std::function<void(TCustomSerialPort& port)>& change);
    // The lamp shows the port's state and traffic from now on.
    void ShowPortOn(TSerialLed& lamp) { lamp.SetComPort(&port_); }

    // The listener follows from the next step on, until the subscription ends; it must
    // outlive the subscription.
    EngineSubscription AddListener(EngineListener& listener);

    // The autosave step (the autosave timer's, and the display's when it is full): the
    // buffered lines go to the daily file. `new_file_starts_display`: the day's first autosave
    // starts the display afresh (not while the front end asks whether to save what it shows).
    statistics::AutosaveResult Autosave(bool new_file_starts_display = true);
    // The end, which asks nobody: the last autosave once the port is closed. Lines it cannot
    // write go to a file of their own in `unsaved_dir` (or, failing that or without one, to
    // standard error), and the front end is told where.
    void LastAutosave(const std::string& unsaved_dir);
    // At start, before the port opens: the lines a run that ended without saving left in the
    // journal go to the daily file, and the front end is told how many (once it can show it).
    void RecoverJournal();
    // Opens the port. A port that cannot be opened is warned of and stays stopped.
    void Start();
    // Start at the program's start: a port that cannot be opened is warned of once and then
    // opened again until it opens or is stopped.
    void StartAtLaunch();
    // Stops a started port (also one being opened again) and closes it.
    void Stop();
    // The end: no more attempts, and the port closes. Throws what the port throws. Partial
    // packets dropped during the run, if any, are counted on standard error first.
    void ClosePort();
    // Decodes one whole packet of the current layout as if it had come (the window's hidden
    // test button).
    void DecodePacket(std::span<const std::uint8_t> packet);
    // The front end's display now holds `lines` record lines (a file was opened into it, or it
    // was cleared): the next line goes after them.
    void DisplayHolds(std::size_t lines) { lines_ = lines; }
    // The user acknowledged one channel's alarm, or all of them.
    void Acknowledge(AlarmChannel channel);
    void AcknowledgeAll();

    // --- what the engine's own port and timers start; public so that a harness can feed them
    // `count` bytes wait, read through `read`; the line had been silent for `quiet_before`
    // before them (0 when not known).
    void OnBytesWaiting(std::size_t count, const TelemetryReceiver::ByteReader& read,
                        std::chrono::nanoseconds quiet_before);
    // The line silent for kAssemblyTimeoutMs: a packet held for what would follow it is taken, a
    // partial packet goes; what the port holds stays.
    void OnAssemblyTimeout();
    // The watchdog: nothing came for kNoDataMs.
    void OnSilence();
    // The started port lost its device and has closed itself: it is opened again until it
    // opens or is stopped.
    void OnPortLost();

  private:
    // TelemetrySink
    void ChecksumMismatch() override;
    void SampleDecoded(const TelemetrySample& sample) override;

    void CreateTimers();
    void CreatePort();
    void CreateStatistics();
    // `warn`: a failure is warned of (not by the last autosave, which no later step retries).
    statistics::AutosaveResult AutosaveStep(bool new_file_starts_display, bool warn);
    // A line for standard error, before the front end's warning: it outlives the warning.
    void Log(const std::string& line) const;
    // A step a timer or the port started: a failure is a warning.
    template <typename F>
    void Unattended(F&& f);
    // Calls `call` on every listener; one may remove itself or another meanwhile.
    template <typename F>
    void Notify(F&& call);
    // The display and the line count start again from 0.
    void StartAfresh();
    // Tells the listeners when the port is lost or regained, then follows with the flags.
    void FollowPortLoss();
    // Tells the listeners when the flags or the port's loss differ from what they were told.
    void PublishAlarms();

    EngineServices services_;
    EngineFrontEnd& front_;
    EngineOptions options_;

    EngineSettings settings_;
    AlarmLimits limits_;
    AlarmFlags alarms_;
    PendingLines pending_;
    std::size_t lines_ = 0;
    TelemetryReceiver receiver_;
    TSerialPort port_;
    std::unique_ptr<PortReopener> reopener_;  // destroyed before the port
    bool port_lost_ = false;

    std::unique_ptr<platform::Timer> assembly_timer_;
    std::unique_ptr<platform::Timer> watchdog_timer_;
    std::unique_ptr<platform::Timer> autosave_timer_;
    std::unique_ptr<statistics::LineJournal> journal_;  // follows pending_ and the autosaver
    std::unique_ptr<statistics::Autosaver> autosaver_;
    std::shared_ptr<EngineListeners> listeners_ = std::make_shared<EngineListeners>();
    bool silent_ = false;  // the watchdog warned, and no sample has come since
    AlarmReport published_;
};
