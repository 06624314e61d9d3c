// The state and alarm texts as a JSON reader sees them, and the [MQTT] settings.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "mqtt/json_writer.h"
#include "mqtt/payloads.h"
#include "mqtt/settings.h"
#include "platform/ini_file.h"
#include "testing/temp_folder.h"

namespace {

using nlohmann::json;

TEST(MqttPayloads, StateAndAlarmsReadBackAsPublished) {
    mqtt::Sample s{37.5625, 0.1, 28, 55, 0xA5, {{2026, 12, 7, 17, 40, 5}, 180}};
    json state = json::parse(mqtt::StatePayload(s));
    EXPECT_EQ(state["t1"].get<double>(), 37.5625);
    EXPECT_EQ(state["t2"].get<double>(), 0.1);
    EXPECT_EQ(state["t3"].get<double>(), 28.0);
    EXPECT_EQ(state["hm"].get<int>(), 55);
    EXPECT_EQ(state["outputs"].get<int>(), 0xA5);
    EXPECT_EQ(state["time"], "2026-12-07T17:40:05+03:00");

    s.hm = -1;
    s.time = {{2027, 1, 2, 3, 4, 5}, -210};
    state = json::parse(mqtt::StatePayload(s));
    EXPECT_TRUE(state["hm"].is_null());
    EXPECT_EQ(state["time"], "2027-01-02T03:04:05-03:30");
    s.time.utc_offset_minutes = 0;
    EXPECT_EQ(json::parse(mqtt::StatePayload(s))["time"], "2027-01-02T03:04:05+00:00");

    const json alarms = json::parse(mqtt::AlarmPayload({false, true, false, true, false}));
    EXPECT_EQ(alarms, json::parse(R"({"t1":false,"t2":true,"hm":false,"no_data":true,
                                      "port_lost":false})"));

    // The offset is the zone's at that moment.
    setenv("TZ", "Europe/Moscow", 1);
    tzset();
    EXPECT_EQ(mqtt::FormatIso8601(mqtt::SampleTimeAt(1796654405)), "2026-12-07T17:40:05+03:00");
    setenv("TZ", "America/St_Johns", 1);  // summer time, and a half hour
    tzset();
    EXPECT_EQ(mqtt::FormatIso8601(mqtt::SampleTimeAt(1782000000)), "2026-06-20T21:30:00-02:30");
    unsetenv("TZ");
    tzset();
}

TEST(MqttPayloads, StringsAreEscapedAndStayValidUtf8) {
    const std::string tricky = "Инкубатор \"№1\"\\\n\t\x01 end";
    std::string text;
    mqtt::AppendJsonString(text, tricky);
    EXPECT_EQ(json::parse(text).get<std::string>(), tricky);

    text.clear();
    mqtt::AppendJsonString(text, std::string("a\xFF") + "b\xD0" + "c\xED\xA0\x80");
    const std::string replacement = "\xEF\xBF\xBD";  // stray, cut short, a surrogate
    EXPECT_EQ(json::parse(text).get<std::string>(), "a" + replacement + "b" + replacement + "c" +
                                                        replacement + replacement + replacement);
}

class MqttSettings : public ::testing::Test {
  protected:
    mqtt::Settings Read(const std::string& section) {
        Spit(folder.File("Инкубатор 2.ini"), "[MQTT]\n" + section);
        return mqtt::ReadSettings(platform::IniFile(folder.File("Инкубатор 2.ini")),
                                  [this](const Warning& w) { warnings.push_back(w.text); });
    }
    TempFolder folder;
    std::vector<std::string> warnings;
};

TEST_F(MqttSettings, DefaultsComeFromTheFileName) {
    mqtt::Settings s = Read("");
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(s.display_name, "Инкубатор 2");
    EXPECT_EQ(s.name, "Inkubator_2");
    EXPECT_EQ(s.topic, "incubator/Inkubator_2");
    EXPECT_EQ(s.discovery_prefix, "homeassistant");
    EXPECT_EQ(s.port, 1883);

    s = Read("Host=broker.lan\nName=Шкаф Ёж/щ #3\nTopic=farm/left/\n");
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.name, "Shkaf_Ezh_shch__3");
    EXPECT_EQ(s.topic, "farm/left");
    EXPECT_TRUE(warnings.empty());
}

TEST_F(MqttSettings, FilesAreReadBesideTheConfigurationAndBadValuesWarn) {
    Spit(folder.File("pw"), "s3cret\r\nsecond line\n");
    Spit(folder.File("ca.crt"), "certificate");
    mqtt::Settings s =
        Read("Host=h\nPort=88a3\nUser=u\nPasswordFile=pw\nCAFile=ca.crt\nTopic=a/#\n");
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.password, "s3cret");
    EXPECT_EQ(s.ca_file, folder.File("ca.crt"));
    EXPECT_EQ(s.port, 1883);
    EXPECT_EQ(s.topic, "incubator/Inkubator_2");
    EXPECT_EQ(warnings.size(), 2u);  // the port and the topic

    // A missing password or CA file turns publishing off, never on without them.
    for (const char* key : {"PasswordFile=missing\n", "CAFile=missing\n"}) {
        warnings.clear();
        s = Read(std::string("Host=h\nUser=u\n") + key);
        EXPECT_FALSE(s.enabled) << key;
        ASSERT_EQ(warnings.size(), 1u) << key;
        EXPECT_NE(warnings[0].find("missing"), std::string::npos) << warnings[0];
    }
}

TEST_F(MqttSettings, TheDefaultTopicCarriesTheMachineTagAndASetOneIsKept) {
    const auto read = [&](const std::string& section) {
        Spit(folder.File("Инкубатор 2.ini"), "[MQTT]\nHost=h\n" + section);
        return mqtt::ReadSettings(
            platform::IniFile(folder.File("Инкубатор 2.ini")),
            [this](const Warning& w) { warnings.push_back(w.text); }, "0a1b2c3d");
    };
    mqtt::Settings s = read("");
    EXPECT_EQ(s.topic, "incubator/Inkubator_2_0a1b2c3d");
    EXPECT_EQ(s.legacy_topic, "incubator/Inkubator_2");
    s = read("Topic=incubator/Inkubator_2\n");  // as written, and nothing of it is cleared
    EXPECT_EQ(s.topic, "incubator/Inkubator_2");
    EXPECT_EQ(s.legacy_topic, "");
    EXPECT_TRUE(warnings.empty());
}

TEST_F(MqttSettings, EmptyTopicLevelsAndAnEmptyPasswordFileAreRefused) {
    // Levels without a name: a warning and the default.
    for (const char* topic : {"/", "//", "farm//left", "/farm"}) {
        warnings.clear();
        mqtt::Settings s =
            Read(std::string("Host=h\nTopic=") + topic + "\nDiscoveryPrefix=" + topic + "\n");
        EXPECT_EQ(s.topic, "incubator/Inkubator_2") << topic;
        EXPECT_EQ(s.discovery_prefix, "homeassistant") << topic;
        ASSERT_EQ(warnings.size(), 2u) << topic;
        EXPECT_EQ(warnings[0], "Неверная тема MQTT \"" + std::string(topic) +
                                   "\": в ней не может быть пустых уровней. Используется "
                                   "\"incubator/Inkubator_2\".");
    }

    // A password file without a password is no anonymous login.
    for (const char* content : {"", "\n", "\r\nsecond line\n"}) {
        Spit(folder.File("pw"), content);
        warnings.clear();
        mqtt::Settings s = Read("Host=h\nUser=u\nPasswordFile=pw\n");
        EXPECT_FALSE(s.enabled);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0], "Файл пароля MQTT \"pw\" пуст. Публикация MQTT выключена.");
    }
}

}  // namespace
