#pragma once
// Forwards what a monitoring engine decodes and raises to an MQTT publisher: every sample to
// <Topic>/state, the alarm flags to <Topic>/alarm. It owns nothing; the engine, its settings
// and the publisher outlive it.

#include <ctime>

#include "common/local_time.h"
#include "engine/engine_listener.h"
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

class EngineBridge : public EngineListener {
  public:
    explicit EngineBridge(Publisher& publisher) : publisher_(publisher) {}

    // The engine's alarms as they stand when the bridge starts following it.
    void Begin(const AlarmReport& alarms) { AlarmsChanged(alarms); }

    void SampleReceived(const TelemetrySample& sample) override;
    void AlarmsChanged(const AlarmReport& alarms) override;

  private:
    Publisher& publisher_;
};

}  // namespace mqtt
