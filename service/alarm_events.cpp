#include "service/alarm_events.h"

namespace service {

void AlarmEvents::AlarmsChanged(const AlarmReport& alarms) {
    struct Kind {
        bool AlarmReport::*flag;
        const char* event;
        const char* channel;
    };
    // The port's loss has events of its own, which name the port.
    static constexpr Kind kKinds[] = {
        {&AlarmReport::t1, "alarm", "t1"},
        {&AlarmReport::t2, "alarm", "t2"},
        {&AlarmReport::hm, "alarm", "hm"},
        {&AlarmReport::no_data, "no_data", ""},
    };
    for (const Kind& k : kKinds)
        if (alarms.*k.flag != told_.*k.flag)
            sink_({k.event, k.channel, alarms.*k.flag ? "1" : "0"});
    told_ = alarms;
}

void AlarmEvents::PortLost(const std::string& port) {
    sink_({"port", port, "lost"});
}

void AlarmEvents::PortRegained(const std::string& port) {
    sink_({"port", port, "back"});
}

std::optional<EventWarning> AlarmWarning(const platform::CommandEvent& event) {
    if (event.event != "alarm") return std::nullopt;
    const AlarmChannel channel = event.channel == "t1"   ? AlarmChannel::T1
                                 : event.channel == "t2" ? AlarmChannel::T2
                                                         : AlarmChannel::HM;
    return EventWarning{AlarmTitle(channel),
                        event.value == "1" ? kOutsideLimitsText : "Снова в допустимых пределах."};
}

}  // namespace service
