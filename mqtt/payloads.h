#pragma once
// What is published per sample and per alarm change, as JSON texts.

#include <cstdint>
#include <ctime>
#include <string>

#include "common/local_time.h"

namespace mqtt {

// A wall-clock time of this computer with its offset from UTC at that moment.
struct SampleTime {
    LocalDateTime local;
    int utc_offset_minutes = 0;  // east of Greenwich positive: +180 for Moscow
};

SampleTime SampleTimeAt(std::time_t t);
SampleTime SampleTimeNow();

// ISO 8601 with the offset: "2026-12-07T17:40:05+03:00".
std::string FormatIso8601(const SampleTime& time);

struct Sample {
    double t1 = 0, t2 = 0, t3 = 0;  // degrees Celsius, as decoded
    int hm = -1;                    // whole percent; negative: the humidity table gives none
    std::uint8_t outputs = 0;       // bit i is output i + 1
    SampleTime time;
};

struct AlarmState {
    bool t1 = false;
    bool t2 = false;
    bool hm = false;
    bool no_data = false;
    bool port_lost = false;
    friend bool operator==(const AlarmState&, const AlarmState&) = default;
};

// {"t1":37.5,"t2":36.6,"t3":28,"hm":55,"outputs":2,"time":"2026-12-07T17:40:05+03:00"};
// "hm" is null when the sample has no humidity.
std::string StatePayload(const Sample& sample);

// {"t1":false,"t2":false,"hm":true,"no_data":false,"port_lost":false}
std::string AlarmPayload(const AlarmState& alarms);

}  // namespace mqtt
