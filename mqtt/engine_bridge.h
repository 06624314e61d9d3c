#pragma once
// Forwards what a monitoring engine decodes and raises to an MQTT publisher: every sample to
// <Topic>/state, the alarm flags to <Topic>/alarm. It owns nothing; the engine, its settings
// and the publisher outlive it.

#include "common/local_time.h"
#include "engine/engine_listener.h"
#include "mqtt/payloads.h"

namespace mqtt {

class Publisher;

// The sample as published: the temperatures as decoded, no humidity when the table gives
// none, the outputs byte and its stamp as a local time with the offset from UTC it had then
// (right also in the hour that a change back from summer time repeats).
Sample SampleOf(const TelemetrySample& sample);

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
