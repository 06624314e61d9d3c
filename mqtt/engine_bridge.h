#pragma once
// Forwards what a monitoring engine decodes and raises to an MQTT publisher: every sample to
// <Topic>/state, the alarm flags to <Topic>/alarm. It owns nothing; the engine, its settings
// and the publisher outlive it.

#include <ctime>

#include "common/local_time.h"
#include "engine/alarm_state.h"
#include "engine/engine_listener.h"
#include "engine/program_settings.h"
#include "mqtt/payloads.h"

namespace mqtt {

class Publisher;

// A local time of this computer with the offset from UTC it had then. `now` is the time the
// caller stands at: a sample stamped a moment ago takes its offset, which is right also in the
// hour that a change back from summer time repeats.
SampleTime SampleTimeOf(const LocalDateTime& local, std::time_t now);

// The sample as published: the temperatures as decoded, no humidity when the table gives
// none, the outputs byte and the record line's time.
Sample SampleOf(const TelemetrySample& sample, std::time_t now);

// The flags as published: a channel whose alarm is switched off in the settings reads false,
// and so does the no-data flag while the no-data warning is. `silent`: the watchdog warned and
// no sample has come since.
AlarmState AlarmStateOf(const AlarmFlags& flags, bool port_lost, bool silent,
                        const ProgramSettings& settings);

class EngineBridge : public EngineListener {
  public:
    // `settings`: the engine's own, read at each change, so that a changed alarm switch shows
    // from the next sample on.
    EngineBridge(Publisher& publisher, const ProgramSettings& settings);

    // The engine's flags as they stand when the bridge starts following it.
    void Begin(const AlarmFlags& flags, bool port_lost);

    void SampleReceived(const TelemetrySample& sample) override;
    void AlarmsChanged(const AlarmFlags& flags, bool port_lost) override;
    void NoData() override;

  private:
    void PublishAlarms();

    Publisher& publisher_;
    const ProgramSettings& settings_;
    AlarmFlags flags_;
    bool port_lost_ = false;
    bool silent_ = false;
};

}  // namespace mqtt
