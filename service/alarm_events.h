#pragma once
// The events the service tells its alarm command of, from what the engine reports:
//   "alarm"   t1|t2|hm   "1" when the channel's flag is set, "0" when it is cleared;
//   "no_data" ""         "1" when the watchdog warned, "0" when a sample came again;
//   "port"    the port   "lost" when the started port lost its device, "back" when regained.
// A channel whose alarm is switched off (T1_enable, ...) reads as clear: it gives no events.
// The engine's report says all of this; the events are its changes.

#include <functional>
#include <optional>
#include <string>

#include "engine/engine_listener.h"
#include "platform/posix/command_runner.h"

namespace service {

class AlarmEvents : public EngineListener {
  public:
    using Sink = std::function<void(const platform::CommandEvent& event)>;

    explicit AlarmEvents(Sink sink) : sink_(std::move(sink)) {}

    void AlarmsChanged(const AlarmReport& alarms) override;
    void PortLost(const std::string& port) override;
    void PortRegained(const std::string& port) override;

  private:
    Sink sink_;
    AlarmReport told_;
};

// The warning the service writes for an "alarm" event, titled as the window's balloon for the
// channel; none for the other kinds, which the engine warns of itself.
struct EventWarning {
    std::string title;
    std::string text;
};
std::optional<EventWarning> AlarmWarning(const platform::CommandEvent& event);

}  // namespace service
