// The discovery configs as Home Assistant reads them: the JSON fields, the ids, and the value
// templates rendered by Jinja against real state and alarm payloads.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "mqtt/discovery.h"
#include "mqtt/payloads.h"
#include "testing/temp_folder.h"

namespace {

using nlohmann::json;

mqtt::Settings BoxSettings() {
    mqtt::Settings s;
    s.display_name = "Шкаф \"1\"";
    s.name = "Shkaf_1";
    s.topic = "farm/shkaf";
    s.discovery_prefix = "ha";
    return s;
}

// The texts the templates render to, through the same Jinja as Home Assistant's.
std::vector<std::string> Render(const std::vector<std::pair<std::string, std::string>>& cases) {
    TempFolder folder;
    Spit(folder.File("cases.json"), json(cases).dump());
    std::string out;
    FILE* pipe =
        ::popen(("python3 " RENDER_TEMPLATES " " + folder.File("cases.json")).c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    EXPECT_EQ(::pclose(pipe), 0) << out;
    return json::parse(out).get<std::vector<std::string>>();
}

TEST(MqttDiscovery, ConfigsAreWhatHomeAssistantReads) {
    const auto messages = mqtt::DiscoveryMessages(BoxSettings(), {"Инкубатор", "2.1", "0a1b2c3d"});
    const std::string state = mqtt::StatePayload({37.5625, 36.6, 28, -1, 0b10100110, {}});
    const std::string alarms = mqtt::AlarmPayload({true, false, true, false, true});
    std::map<std::string, json> configs;  // by what follows "Shkaf_1_0a1b2c3d_" in the topic
    std::set<std::string> unique_ids;
    std::vector<std::pair<std::string, std::string>> cases;  // template, payload
    std::vector<std::string> expected;
    for (const auto& m : messages) {
        const json c = json::parse(m.payload);
        const std::size_t start = m.topic.find("/Shkaf_1_0a1b2c3d_") + 18;
        const std::string what = m.topic.substr(start, m.topic.rfind('/') - start);
        const bool reading = std::set<std::string>{"t1", "t2", "t3", "hm"}.contains(what);
        // The object id is the unique id: two computers' configs go to topics of their own.
        EXPECT_EQ(m.topic, std::string(reading ? "ha/sensor" : "ha/binary_sensor") +
                               "/Shkaf_1_0a1b2c3d_" + what + "/config");
        EXPECT_EQ(c.at("unique_id"), "Shkaf_1_0a1b2c3d_" + what);
        configs[what] = c;
        // Two boards that give their incubators the same name stay apart.
        unique_ids.insert(c.at("unique_id").get<std::string>());
        EXPECT_NE(c["unique_id"].get<std::string>().find("0a1b2c3d"), std::string::npos);
        EXPECT_EQ(c.at("availability_topic"), "farm/shkaf/availability");
        EXPECT_EQ(c.at("payload_available"), "online");
        EXPECT_EQ(c.at("payload_not_available"), "offline");
        EXPECT_EQ(c.at("device"), json::parse(R"({"identifiers":["Shkaf_1_0a1b2c3d"],
            "name":"Шкаф \"1\"","model":"Инкубатор","sw_version":"2.1"})"));

        const bool on_alarm = c.at("state_topic") == "farm/shkaf/alarm";
        EXPECT_EQ(c.contains("expire_after"), !on_alarm) << what;  // readings go stale
        cases.emplace_back(c.at("value_template"), on_alarm ? alarms : state);
        if (what.starts_with("out")) {
            expected.push_back((0b10100110 >> (what[3] - '1')) & 1 ? "ON" : "OFF");
        } else if (!reading) {
            const std::string field = what.starts_with("alarm_") ? what.substr(6) : what;
            expected.push_back(json::parse(alarms).at(field).get<bool>() ? "ON" : "OFF");
        } else {
            // A null humidity renders "None", which Home Assistant's sensors take for unknown.
            const json value = json::parse(state).at(what);
            expected.push_back(value.is_null() ? "None" : value.dump());
            EXPECT_EQ(c.at("device_class"), what == "hm" ? "humidity" : "temperature");
            EXPECT_EQ(c.at("unit_of_measurement"), what == "hm" ? "%" : "°C");
            EXPECT_EQ(c.at("state_class"), "measurement");
        }
    }
    EXPECT_EQ(unique_ids.size(), 17u);
    ASSERT_EQ(configs.size(), 17u);
    EXPECT_EQ(configs["out2"]["name"], "Включение вывода НАГРЕВ");
    EXPECT_EQ(configs["port_lost"]["device_class"], "problem");
    EXPECT_EQ(configs["t1"]["expire_after"], 60);
    cases.emplace_back(configs["hm"]["value_template"], R"({"hm":55})");
    expected.push_back("55");
    EXPECT_EQ(Render(cases), expected);
}

TEST(MqttDiscovery, MachineTagIsAStableHashOfTheMachineId) {
    TempFolder folder;
    Spit(folder.File("a"), "3f1c9e1e0b2a4c55a1e7d7b1f00c0ffe\n");
    Spit(folder.File("b"), "3f1c9e1e0b2a4c55a1e7d7b1f00c0fff\n");
    const std::string tag = mqtt::MachineTag(folder.File("a"));
    EXPECT_EQ(tag.size(), 8u);
    EXPECT_EQ(tag, mqtt::MachineTag(folder.File("a")));
    EXPECT_NE(tag, mqtt::MachineTag(folder.File("b")));
    EXPECT_EQ(std::string("3f1c9e1e0b2a4c55a1e7d7b1f00c0ffe").find(tag), std::string::npos);
    EXPECT_EQ(mqtt::MachineTag(folder.File("missing")).size(), 8u);  // the host name's
}

}  // namespace
