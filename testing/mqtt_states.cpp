#include "testing/mqtt_states.h"

#include <algorithm>

#include "mqtt/payloads.h"
#include "testing/record_fields.h"

namespace e2e {

using nlohmann::json;

namespace {

double Number(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    return std::stod(text);
}

}  // namespace

json StateOfLine(const std::string& line) {
    const RecordFields f = FieldsOfLine(line);
    int outputs = 0;
    for (std::size_t i = 0; i < f.out.size(); ++i)
        if (f.out[i] != '_') outputs |= 1 << i;
    // "dd.mm.yy hh:mm:ss" at the end of the line.
    const std::string when = line.substr(line.size() - 17);
    return {{"t1", Number(f.t1)},
            {"t2", Number(f.t2)},
            {"t3", Number(f.t3)},
            {"hm", std::stoi(f.hm) < 0 ? json(nullptr) : json(std::stoi(f.hm))},
            {"outputs", outputs},
            {"time", "20" + when.substr(6, 2) + "-" + when.substr(3, 2) + "-" + when.substr(0, 2) +
                         "T" + when.substr(9)}};
}

StatesAgainstLines MatchStates(const std::vector<std::string>& payloads,
                               const std::vector<std::string>& lines) {
    StatesAgainstLines result;
    // The test and the program share the time zone.
    const std::string offset = mqtt::FormatIso8601(mqtt::SampleTimeNow()).substr(19);
    std::vector<json> states;
    for (const std::string& payload : payloads) {
        json state = json::parse(payload);
        const std::string time = state["time"].get<std::string>();
        if (time.substr(19) != offset && result.wrong_offset.empty()) result.wrong_offset = time;
        state["time"] = time.substr(0, 19);
        states.push_back(std::move(state));
    }
    std::vector<json> expected;
    for (const std::string& line : lines) expected.push_back(StateOfLine(line));
    for (std::size_t at = 0; at + states.size() <= expected.size(); ++at) {
        std::size_t n = 0;
        while (n < states.size() && states[n] == expected[at + n]) ++n;
        if (n > result.matched) result.matched = n, result.from = at;
    }
    return result;
}

}  // namespace e2e
