#pragma once
// What others may follow of an engine (an MQTT publisher, an alarm command): optional, and
// several at once. Called on the engine's one thread, after the front end has been told.

#include <string>

#include "engine/alarm_state.h"
#include "engine/telemetry_receiver.h"

class EngineListener {
  public:
    virtual ~EngineListener() = default;

    // Every decoded sample; sample.time is its record line's time.
    virtual void SampleReceived(const TelemetrySample& /*sample*/) {}
    // Any of AlarmT1, AlarmT2, AlarmHM, AlarmNoData or the port's loss was set or cleared.
    // `port_lost`: the started port lost its device (or could not be opened at start) and is
    // being opened again.
    virtual void AlarmsChanged(const AlarmFlags& /*flags*/, bool /*port_lost*/) {}
    virtual void PortLost(const std::string& /*port*/) {}
    virtual void PortRegained(const std::string& /*port*/) {}
    // The watchdog warned that no data came.
    virtual void NoData() {}
};
