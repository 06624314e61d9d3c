// The service's own logic: its command line, its warnings on standard error and the events
// its alarm command hears of.
#include <gtest/gtest.h>

#include <vector>

#include "service/alarm_events.h"
#include "service/options.h"
#include "service/service_front_end.h"

namespace {

using platform::CommandEvent;
using namespace std::chrono_literals;

service::ParsedOptions Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "incubator-monitord");
    return service::ParseOptions(static_cast<int>(args.size()), args.data());
}

TEST(ServiceOptions, TheConfigurationIsRequiredAndMistakesExitWithTwo) {
    auto p = Parse({"--config", "/etc/a.ini", "--echo"});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->config, "/etc/a.ini");
    EXPECT_TRUE(p.options->echo);
    p = Parse({"--config=b.ini"});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->config, "b.ini");
    EXPECT_FALSE(p.options->echo);

    for (const auto& bad : std::vector<std::vector<const char*>>{{},
                                                                 {"--echo"},
                                                                 {"--config"},
                                                                 {"--config="},
                                                                 {"--config", "a", "--config", "b"},
                                                                 {"--config", "a", "--verbose"},
                                                                 {"--config", "a", "stray"}}) {
        p = Parse(bad);
        EXPECT_FALSE(p.options);
        EXPECT_EQ(p.exit_code, 2);
        EXPECT_TRUE(p.err.starts_with("incubator-monitord: ")) << p.err;
        EXPECT_NE(p.err.find("Usage:"), std::string::npos);
        EXPECT_TRUE(p.out.empty());
    }
    p = Parse({"--config", "a", "--help"});
    EXPECT_FALSE(p.options);
    EXPECT_EQ(p.exit_code, 0);
    EXPECT_TRUE(p.out.starts_with("Usage:"));
}

TEST(ServiceFrontEnd, WarningsAreOneLineEachAndTheSameOneIsNotRepeatedWhileItWouldBeUp) {
    std::vector<std::string> lines;
    auto now = std::chrono::steady_clock::time_point{};
    service::ServiceFrontEnd front(
        [&](config::Priority, const std::string& l) { lines.push_back(l); }, [&] { return now; });
    front.Warn({Severity::kWarning, "Внимание!",
                "Нет данных от инкубатора.\rНе открыт ком порт \"/dev/x\".", 10});
    front.Warn({Severity::kWarning, "Внимание!",
                "Нет данных от инкубатора.\rНе открыт ком порт \"/dev/x\".", 10});
    now += 9s;
    front.Warn({Severity::kWarning, "Внимание!",
                "Нет данных от инкубатора.\rНе открыт ком порт \"/dev/x\".", 10});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Внимание!: Нет данных от инкубатора. Не открыт ком порт \"/dev/x\".");
    // Another text comes at once and does not end the first one's time; once the first one's
    // last raise is over, it comes again.
    front.Warn({Severity::kWarning, "T", "a\r\n\r\nb\n", 10});
    front.Warn({Severity::kWarning, "Внимание!",
                "Нет данных от инкубатора.\rНе открыт ком порт \"/dev/x\".", 10});
    now += 10s;
    front.Warn({Severity::kWarning, "Внимание!",
                "Нет данных от инкубатора.\rНе открыт ком порт \"/dev/x\".", 10});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "T: a b ");
    EXPECT_EQ(lines[2], lines[0]);
}

TEST(ServiceFrontEnd, AWarningsSeverityChoosesItsLinesPriority) {
    std::vector<config::Priority> priorities;
    service::ServiceFrontEnd front(
        [&](config::Priority p, const std::string&) { priorities.push_back(p); },
        [] { return std::chrono::steady_clock::time_point{}; });
    front.Warn({Severity::kError, "incubator-monitord", "Команда не запустилась.", 0});
    front.Warn({Severity::kWarning, "Внимание!", "Нет данных от инкубатора.", 10});
    front.Warn({Severity::kNotice, "Внимание!", "Порт открыт снова.", 10});
    EXPECT_EQ(priorities,
              (std::vector<config::Priority>{config::Priority::kError, config::Priority::kWarning,
                                             config::Priority::kInfo}));
}

TEST(ServiceFrontEnd, AWarningThatStaysTrueIsRepeatedHourlyWithHowLongItHasStood) {
    std::vector<std::string> lines;
    auto now = std::chrono::steady_clock::time_point{};
    service::ServiceFrontEnd front(
        [&](config::Priority, const std::string& l) { lines.push_back(l); }, [&] { return now; });
    const std::string no_data = "Внимание!: Нет данных от инкубатора.";
    // The watchdog raises it every 3 s, up for 10 s, for 25 hours; a broker that comes and
    // goes every 7 minutes warns in between.
    std::size_t broker = 0;
    for (auto t = 0s; t <= 25h; t += 3s) {
        now = std::chrono::steady_clock::time_point{} + t;
        front.Warn({Severity::kWarning, "Внимание!", "Нет данных от инкубатора.", 10});
        if (t % 7min == 0s) {
            front.Warn({Severity::kWarning, "MQTT", "Нет связи с брокером.", 60});
            ++broker;
        }
    }
    std::vector<std::string> standing;
    for (const std::string& line : lines)
        if (line.starts_with(no_data)) standing.push_back(line);
    ASSERT_EQ(standing.size(), 26u);
    EXPECT_EQ(standing[0], no_data);
    EXPECT_EQ(standing[1], no_data + " (уже 1 ч)");
    EXPECT_EQ(standing[23], no_data + " (уже 23 ч)");
    EXPECT_EQ(standing[24], no_data + " (уже 1 сут)");
    EXPECT_EQ(standing[25], no_data + " (уже 1 сут 1 ч)");
    EXPECT_EQ(lines.size(), standing.size() + broker) << "each broker warning came anew";

    // Data came for 11 seconds: the next silence is a new warning, in full.
    now += 14s;
    front.Warn({Severity::kWarning, "Внимание!", "Нет данных от инкубатора.", 10});
    EXPECT_EQ(lines.back(), no_data);
    EXPECT_EQ(lines.size(), standing.size() + broker + 1);
}

TEST(AlarmEvents, ChangesOfEnabledChannelsTheSilenceAndThePortBecomeEventsOnce) {
    EngineSettings settings;
    settings.T2_enable = false;
    settings.SignalOffData = true;
    std::vector<CommandEvent> events;
    service::AlarmEvents alarms([&](const CommandEvent& e) { events.push_back(e); });
    // What the engine reports of its flags, its silence and its port.
    const auto report = [&](const AlarmFlags& flags, bool silent = false) {
        alarms.AlarmsChanged(ReportAlarms(flags, settings, silent, false));
    };

    report({true, true, false, false});
    report({true, true, true, false});
    report({false, true, true, false});
    // Switched off, T2 reads clear; switched on while its flag is set, it tells of it.
    settings.T2_enable = true;
    report({false, true, true, false});
    settings.HM_enable = false;
    report({false, true, true, false});
    EXPECT_EQ(events, (std::vector<CommandEvent>{{"alarm", "t1", "1"},
                                                 {"alarm", "hm", "1"},
                                                 {"alarm", "t1", "0"},
                                                 {"alarm", "t2", "1"},
                                                 {"alarm", "hm", "0"}}));

    events.clear();
    const AlarmFlags flags{false, true, true, false};  // as they stood
    report(flags, false);
    report(flags, true);
    report(flags, true);
    report(flags, false);
    report(flags, false);
    alarms.PortLost("/dev/ttyUSB0");
    alarms.PortRegained("/dev/ttyUSB0");
    EXPECT_EQ(events, (std::vector<CommandEvent>{{"no_data", "", "1"},
                                                 {"no_data", "", "0"},
                                                 {"port", "/dev/ttyUSB0", "lost"},
                                                 {"port", "/dev/ttyUSB0", "back"}}));

    const auto warning = service::AlarmWarning({"alarm", "hm", "1"});
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->title, "Влажность");
    EXPECT_EQ(warning->text, "За пределами допустимых значений!");
    EXPECT_FALSE(service::AlarmWarning({"port", "/dev/x", "lost"}));
}

}  // namespace
