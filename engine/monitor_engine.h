#pragma once
// MonitorEngine: the monitoring without its windows. Bytes from the serial port become
// packets, samples, record lines, the history and the latched alarm flags; the engine
// owns the port, the settings, limits and flags, the autosave's buffer and the history, and
// the timers of the data path. A front end (the window, the service) shows what it decodes;
// listeners follow it.
//
// Qt-free: everything comes through EngineServices. Everything runs on one thread (the
// window's GUI thread, the service's loop); the port's event thread hands its events over to
// it. A step that a timer or the port starts reports a failure as a warning; a step that a
// front end calls throws, so that the front end reports it as it reports its user's actions.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/alarm_rules.h"
#include "engine/alarm_state.h"
#include "engine/engine_front_end.h"
#include "engine/engine_listener.h"
#include "engine/engine_services.h"
#include "engine/port_reopener.h"
#include "engine/program_settings.h"
#include "engine/sample_history.h"
#include "engine/statistics/autosaver.h"
#include "engine/statistics/line_journal.h"
#include "engine/telemetry_receiver.h"
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
    static constexpr std::uint32_t kResetRxMs = 500;  // a silence inside a packet drops it
    static constexpr std::uint32_t kNoDataMs = 3000;  // the watchdog

    MonitorEngine(EngineServices services, EngineFrontEnd& front, EngineOptions options = {});
    // Closes the port first: no event reaches a half-destroyed engine or front end.
    ~MonitorEngine() override;
    MonitorEngine(const MonitorEngine&) = delete;
    MonitorEngine& operator=(const MonitorEngine&) = delete;

    // --- the state, which the window reads and edits and the service reads
    TSerialPort& Port() { return port_; }
    const TSerialPort& Port() const { return port_; }
    ProgramSettings& Settings() { return settings_; }
    const ProgramSettings& Settings() const { return settings_; }
    AlarmLimits& Limits() { return limits_; }
    const AlarmLimits& Limits() const { return limits_; }
    AlarmFlags& Alarms() { return alarms_; }
    const AlarmFlags& Alarms() const { return alarms_; }
    SampleHistory& History() { return history_; }
    const SampleHistory& History() const { return history_; }
    // Record lines awaiting the autosave, each preceded by CR LF.
    std::string& SaveBuffer() { return save_buffer_; }
    const std::string& SaveBuffer() const { return save_buffer_; }
    statistics::LineJournal& Journal() { return *journal_; }
    // The statistics files' folder operations the engine was given.
    statistics::FileSystem& Files() { return services_.files; }
    platform::Timer& TimerSaveFile() { return *timer_save_file_; }
    // The port counts as started while open and while it is being opened again.
    bool PortStarted() const { return port_.Connected() || reopener_->Retrying(); }
    // The started port lost its device (or could not be opened at start) and is being opened
    // again every PortReopener::kRetryMs.
    bool PortLost() const { return port_lost_; }
    // The alarms as listeners are told of them, now.
    AlarmReport Alarming() const;

    // Replaces the settings; the autosave timer follows their period (a period that stays the
    // same leaves it counting).
    void ApplySettings(const ProgramSettings& settings);

    // Listeners follow from the next step on; each outlives the engine or is removed first.
    void AddListener(EngineListener& listener);
    void RemoveListener(EngineListener& listener);

    // --- the steps, named after the handlers that start them
    // The port's OnRxChar: `count` bytes wait in it.
    void ComPort1RxChar(TCustomSerialPort& sender, int count);
    // The line silent for kResetRxMs: a packet held for what would follow it is taken, a
    // partial packet goes; what the port holds stays.
    void TimerResetRxUartTimer();
    // The watchdog: nothing came for kNoDataMs.
    void TimerSignalOFFDataTimer();
    // The autosave step (the autosave timer's, and the display's when it is full): the
    // buffered lines go to the daily file. `new_file_starts_display`: the day's first autosave
    // starts the display afresh (not while the window asks whether to save what it shows);
    // `warn`: a failure is warned of (not by the last autosave, which no later step retries).
    statistics::AutosaveResult AutosaveStep(bool new_file_starts_display, bool warn = true);
    // The end, which asks nobody: the last autosave once the port is closed. Lines it cannot
    // write go to a file of their own in `unsaved_dir` (or, failing that or without one, to
    // standard error), and the front end is told where.
    void LastAutosave(const std::string& unsaved_dir);
    // At start, before the port opens: the lines a run that ended without saving left in the
    // journal go to the daily file, and the front end is told how many (once it can show it).
    void RecoverJournal();
    // The Start/Stop button: a stopped port is opened, a started one (also one being opened
    // again) is stopped and closed. A port that cannot be opened is warned of and stays
    // stopped.
    void StartStop();
    // Start at program start: a port that cannot be opened is warned of once and then opened
    // again until it opens or is stopped.
    void OpenPortAtStart();
    // The port's OnConnectionLost: it lost its device and has closed itself; it is opened
    // again until it opens or is stopped.
    void ComPort1ConnectionLost();
    // The end: no more attempts, and the port closes. Throws what the port throws. Partial
    // packets dropped during the run, if any, are counted on standard error first.
    void ClosePort();
    // Decodes one whole packet of the current layout as if it had come (the hidden test
    // button).
    void DecodeTestPacket(std::span<const std::uint8_t> packet);
    // The user acknowledged one channel's alarm, or all of them.
    void Acknowledge(AlarmChannel channel);
    void AcknowledgeAll();

  private:
    // TelemetrySink
    void ChecksumMismatch() override;
    std::size_t DisplayLineCount() const override;
    void SampleDecoded(const TelemetrySample& sample) override;

    void CreateTimers();
    void CreatePort();
    void CreateStatistics();
    void TimerSaveFileTimer() { AutosaveStep(true); }
    // A line for standard error, before the front end's warning: it outlives the warning.
    void Log(const std::string& line) const;
    // A step a timer or the port started: a failure is a warning.
    template <typename F>
    void Unattended(F&& f);
    // Calls `call` on every listener; one may remove itself or another meanwhile.
    template <typename F>
    void Notify(F&& call);
    // Tells the listeners when the port is lost or regained, then follows with the flags.
    void FollowPortLoss();
    // Tells the listeners when the flags or the port's loss differ from what they were told.
    void PublishAlarms();

    EngineServices services_;
    EngineFrontEnd& front_;
    EngineOptions options_;

    ProgramSettings settings_;
    AlarmLimits limits_;
    AlarmFlags alarms_;
    std::string save_buffer_;
    SampleHistory history_;
    TelemetryReceiver receiver_;
    TSerialPort port_;
    std::unique_ptr<PortReopener> reopener_;  // destroyed before the port
    bool port_lost_ = false;

    std::unique_ptr<platform::Timer> timer_reset_rx_;
    std::unique_ptr<platform::Timer> timer_signal_off_;
    std::unique_ptr<platform::Timer> timer_save_file_;
    std::unique_ptr<statistics::LineJournal> journal_;  // told of the autosaver's writes
    std::unique_ptr<statistics::Autosaver> autosaver_;
    std::vector<EngineListener*> listeners_;
    bool silent_ = false;  // the watchdog warned, and no sample has come since
    AlarmReport published_;
};
