#include "mqtt/engine_bridge.h"

#include <cstdlib>

#include "mqtt/publisher.h"

namespace mqtt {

namespace {

// How far a stamp may lie from `now` and still take now's offset.
constexpr long kNearSeconds = 120;

std::tm FieldsOf(const LocalDateTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    return tm;
}

}  // namespace

SampleTime SampleTimeOf(const LocalDateTime& local, std::time_t now) {
    std::tm now_fields{};
    localtime_r(&now, &now_fields);
    const long offset = now_fields.tm_gmtoff;
    std::tm fields = FieldsOf(local);
    // The moment the stamp names if the offset has not changed since.
    const std::time_t at_now_offset = timegm(&fields) - offset;
    if (std::labs(static_cast<long>(at_now_offset - now)) <= kNearSeconds)
        return {local, static_cast<int>(offset / 60)};
    // A stamp from another time (a clock that was set, a test's clock): its own date's offset.
    // mktime leaves that offset in the fields it normalises.
    fields = FieldsOf(local);
    fields.tm_isdst = -1;
    std::mktime(&fields);
    return {local, static_cast<int>(fields.tm_gmtoff / 60)};
}

Sample SampleOf(const TelemetrySample& sample, std::time_t now) {
    const DecodedSample& v = sample.values;
    return {v.t1, v.t2, v.t3, v.hm < 0 ? -1 : v.hm, v.outputs, SampleTimeOf(sample.time, now)};
}

void EngineBridge::SampleReceived(const TelemetrySample& sample) {
    publisher_.PublishSample(SampleOf(sample, std::time(nullptr)));
}

void EngineBridge::AlarmsChanged(const AlarmReport& a) {
    publisher_.PublishAlarms({a.t1, a.t2, a.hm, a.no_data, a.port_lost});
}

}  // namespace mqtt
