#pragma once
// What others may follow of an engine (an MQTT publisher, an alarm command): optional, and
// several at once. Called on the engine's one thread: a sample before the front end shows it
// (so that a chart's history holds it when the chart is drawn), the rest after the front end.

#include <string>

#include "engine/alarm_rules.h"
#include "engine/telemetry_receiver.h"

class EngineListener {
  public:
    virtual ~EngineListener() = default;

    // Every decoded sample; sample.stamp is when it was decoded, sample.time its record line's
    // local time.
    virtual void SampleReceived(const TelemetrySample& /*sample*/) {}
    // The alarms as reported changed (a flag, an alarm switch, the watchdog's silence, the
    // port's loss).
    virtual void AlarmsChanged(const AlarmReport& /*alarms*/) {}
    virtual void PortLost(const std::string& /*port*/) {}
    virtual void PortRegained(const std::string& /*port*/) {}
};
