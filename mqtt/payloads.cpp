#include "mqtt/payloads.h"

#include <cstdlib>

#include "mqtt/json_writer.h"

namespace mqtt {

namespace {

void AppendDigits(std::string& out, int value, int width) {
    std::string digits = std::to_string(std::abs(value));
    if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
    out += digits;
}

}  // namespace

SampleTime SampleTimeAt(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return {{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec},
            static_cast<int>(tm.tm_gmtoff / 60)};
}

SampleTime SampleTimeNow() {
    return SampleTimeAt(std::time(nullptr));
}

std::string FormatIso8601(const SampleTime& time) {
    const LocalDateTime& t = time.local;
    std::string out;
    out.reserve(25);
    AppendDigits(out, t.year, 4);
    out.push_back('-');
    AppendDigits(out, t.month, 2);
    out.push_back('-');
    AppendDigits(out, t.day, 2);
    out.push_back('T');
    out += FormatTimeHhMmSs(t);
    out.push_back(time.utc_offset_minutes < 0 ? '-' : '+');
    const int offset = std::abs(time.utc_offset_minutes);
    AppendDigits(out, offset / 60, 2);
    out.push_back(':');
    AppendDigits(out, offset % 60, 2);
    return out;
}

std::string StatePayload(const Sample& sample) {
    JsonObject json;
    json.Number("t1", sample.t1).Number("t2", sample.t2).Number("t3", sample.t3);
    if (sample.hm < 0)
        json.Null("hm");
    else
        json.Integer("hm", sample.hm);
    return json.Integer("outputs", sample.outputs)
        .String("time", FormatIso8601(sample.time))
        .Text();
}

std::string AlarmPayload(const AlarmState& alarms) {
    return JsonObject()
        .Bool("t1", alarms.t1)
        .Bool("t2", alarms.t2)
        .Bool("hm", alarms.hm)
        .Bool("no_data", alarms.no_data)
        .Bool("port_lost", alarms.port_lost)
        .Text();
}

}  // namespace mqtt
