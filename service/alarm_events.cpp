#include "service/alarm_events.h"

namespace service {

void AlarmEvents::SampleReceived(const TelemetrySample&) {
    if (!no_data_) return;
    no_data_ = false;
    sink_({"no_data", "", "0"});
}

void AlarmEvents::AlarmsChanged(const AlarmFlags& flags, bool) {
    const std::array<bool, 3> now = {flags.AlarmT1 && settings_.T1_enable,
                                     flags.AlarmT2 && settings_.T2_enable,
                                     flags.AlarmHM && settings_.HM_enable};
    static constexpr const char* kChannels[] = {"t1", "t2", "hm"};
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i] == alarm_[i]) continue;
        alarm_[i] = now[i];
        sink_({"alarm", kChannels[i], now[i] ? "1" : "0"});
    }
}

void AlarmEvents::PortLost(const std::string& port) {
    sink_({"port", port, "lost"});
}

void AlarmEvents::PortRegained(const std::string& port) {
    sink_({"port", port, "back"});
}

void AlarmEvents::NoData() {
    // The watchdog warns again every few seconds of silence: one event for all of them.
    if (no_data_) return;
    no_data_ = true;
    sink_({"no_data", "", "1"});
}

std::optional<EventWarning> AlarmWarning(const platform::CommandEvent& event) {
    if (event.event != "alarm") return std::nullopt;
    const char* title = event.channel == "t1"   ? "Температура T1"
                        : event.channel == "t2" ? "Температура T2"
                                                : "Влажность";
    return EventWarning{title, event.value == "1" ? "За пределами допустимых значений!"
                                                  : "Снова в допустимых пределах."};
}

}  // namespace service
