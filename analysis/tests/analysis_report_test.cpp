#include "analysis/analysis_report.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/record_line.h"

namespace {

using Lines = std::vector<std::string>;

// Record line of second `second` of 05.06.15 12:00; T1 and HM follow the second so that a
// report line shows which display line it was built from.
std::string At(int second, const char* outs) {
    const std::string t1 = "37," + std::to_string(second % 10);
    return MakeRecordLine(t1, "37,4", "28,0", 50 + second, outs, {2015, 6, 5, 12, 0, second});
}

// Each line in a buffer of its exact size, so that reading past its end is caught by the
// sanitizer build.
class Display {
  public:
    explicit Display(const Lines& lines) {
        for (const std::string& line : lines) {
            buffers_.push_back(std::make_unique<char[]>(line.size()));
            std::copy(line.begin(), line.end(), buffers_.back().get());
            views_.emplace_back(buffers_.back().get(), line.size());
        }
    }
    Lines Report(AnalysisMode mode) const { return RunAnalysis(mode, views_); }

  private:
    std::vector<std::unique_ptr<char[]>> buffers_;
    std::vector<std::string_view> views_;
};

Lines Report(AnalysisMode mode, const Lines& lines) {
    return Display(lines).Report(mode);
}

const char* kHeaterOn = "_2______";
const char* kAllOff = "________";

}  // namespace

TEST(AnalysisReport, HeaterReportsEachSwitchAtItsLine) {
    Lines display;
    for (int i = 1; i <= 10; ++i)
        display.push_back(At(i, (i >= 3 && i <= 5) || i == 9 ? kHeaterOn : kAllOff));
    EXPECT_EQ(Report(AnalysisMode::Heater, display),
              (Lines{"- Включение вывода НАГРЕВ (2) -",
                     "05.06.15  12:00:03    Включение  T1=37,3 T2=37,4",
                     "05.06.15  12:00:06    _Выключение  T1=37,6 T2=37,4",
                     "05.06.15  12:00:09    Включение  T1=37,9 T2=37,4",
                     "05.06.15  12:00:10    _Выключение  T1=37,0 T2=37,4"}));
}

TEST(AnalysisReport, OpenAndLeadingPeriodsAtTheDisplaysEnds) {
    // Already on at the first line: a switch-on there. Still on at the last: no switch-off.
    const Lines display{At(1, kHeaterOn), At(2, kAllOff), At(3, kAllOff), At(4, kHeaterOn),
                        At(5, kHeaterOn)};
    EXPECT_EQ(Report(AnalysisMode::Heater, display),
              (Lines{"- Включение вывода НАГРЕВ (2) -",
                     "05.06.15  12:00:01    Включение  T1=37,1 T2=37,4",
                     "05.06.15  12:00:02    _Выключение  T1=37,2 T2=37,4",
                     "05.06.15  12:00:04    Включение  T1=37,4 T2=37,4"}));
}

TEST(AnalysisReport, NothingToReportGivesTheHeadingAlone) {
    EXPECT_EQ(Report(AnalysisMode::Heater, {}), Lines{"- Включение вывода НАГРЕВ (2) -"});
    EXPECT_EQ(Report(AnalysisMode::Heater, {At(1, kAllOff), At(2, "1_345678")}),
              Lines{"- Включение вывода НАГРЕВ (2) -"});
}

TEST(AnalysisReport, EveryModeHasItsHeadingAndTestsItsOwnOutput) {
    struct Case {
        AnalysisMode mode;
        const char* heading;
        const char* only_its_output_on;
    };
    const Case cases[] = {
        {AnalysisMode::TrayTurnings, "- Движение лотков -", "_____6__"},
        {AnalysisMode::Humidification, "- Влажность -", "___4____"},
        {AnalysisMode::T1T2Difference, "- Разность между Т1 и Т2 -", "__3_____"},
        {AnalysisMode::Heater, "- Включение вывода НАГРЕВ (2) -", "_2______"},
        {AnalysisMode::SoundSignal, "- Звуковая сигнализация -", "1_______"},
        {AnalysisMode::EmergencyCooling, "- Включение вывода аварийного охлаждения -", "______7_"},
        {AnalysisMode::EmergencyRelay, "- Включение вывода аварийного реле -", "_______8"},
    };
    for (const Case& report : cases) {
        SCOPED_TRACE(static_cast<char>(report.mode));
        EXPECT_TRUE(IsKnownAnalysisMode(report.mode));
        for (const Case& line : cases) {
            const Lines got = Report(report.mode, {At(1, kAllOff), At(2, line.only_its_output_on)});
            ASSERT_FALSE(got.empty());
            EXPECT_EQ(got[0], report.heading);
            EXPECT_EQ(got.size(), &report == &line ? 2u : 1u) << line.only_its_output_on;
        }
    }
}

TEST(AnalysisReport, AnOutputIsOnOnlyWithItsOwnDigit) {
    // Another digit, or the right digit at another position, is off.
    EXPECT_EQ(Report(AnalysisMode::Heater, {At(1, "_3______"), At(2, "2_______")}).size(), 1u);
    EXPECT_EQ(Report(AnalysisMode::EmergencyRelay, {At(1, "_______7")}).size(), 1u);
}

TEST(AnalysisReport, TrayTurningsTellReverseFromMotion) {
    EXPECT_EQ(
        Report(AnalysisMode::TrayTurnings, {At(1, "____5___"), At(2, "_____6__"), At(3, kAllOff)}),
        (Lines{"- Движение лотков -", "05.06.15  12:00:01    Реверс  ",
               "05.06.15  12:00:02    Движение", "05.06.15  12:00:03    _Выключение"}));
    // Both on is a reverse too; going between the two forms of it reports nothing.
    EXPECT_EQ(
        Report(AnalysisMode::TrayTurnings, {At(1, kAllOff), At(2, "____56__"), At(3, "____5___"),
                                            At(4, "_____6__"), At(5, "____56__")}),
        (Lines{"- Движение лотков -", "05.06.15  12:00:02    Реверс  ",
               "05.06.15  12:00:04    Движение", "05.06.15  12:00:05    Реверс  "}));
}

TEST(AnalysisReport, HumidityAndDifferenceLinesCarryTheirReadings) {
    EXPECT_EQ(Report(AnalysisMode::Humidification,
                     {At(1, "___4____"), At(2, "___4____"), At(3, kAllOff)}),
              (Lines{"- Влажность -", "05.06.15  12:00:01    Увлажнение включено  51%",
                     "05.06.15  12:00:03    _Выключение  53%"}));
    // Readings written with points are shown with commas.
    const std::string dotted = "T1=38.25  T2=36.5  T3=28.0  HM=55  OUT=__3_____  06.12.26 23:59:58";
    EXPECT_EQ(
        Report(AnalysisMode::T1T2Difference, {dotted, At(2, kAllOff)}),
        (Lines{"- Разность между Т1 и Т2 -", "06.12.26  23:59:58    Включение  T1=38,25 T2=36,5",
               "05.06.15  12:00:02    _Выключение  T1=37,2 T2=37,4"}));
}

TEST(AnalysisReport, SignalAndEmergencyLinesCarryTheStateOnly) {
    const std::pair<AnalysisMode, const char*> cases[] = {
        {AnalysisMode::SoundSignal, "1_______"},
        {AnalysisMode::EmergencyCooling, "______7_"},
        {AnalysisMode::EmergencyRelay, "_______8"},
    };
    for (const auto& [mode, outs] : cases) {
        const Lines got = Report(mode, {At(7, outs), At(8, kAllOff)});
        ASSERT_EQ(got.size(), 3u);
        EXPECT_EQ(got[1], "05.06.15  12:00:07    Включение");
        EXPECT_EQ(got[2], "05.06.15  12:00:08    _Выключение");
    }
}

TEST(AnalysisReport, EmptyLinesAreSkippedWithoutEndingAPeriod) {
    EXPECT_EQ(Report(AnalysisMode::Heater, {"", At(1, kHeaterOn), "", "", At(2, kHeaterOn), ""}),
              (Lines{"- Включение вывода НАГРЕВ (2) -",
                     "05.06.15  12:00:01    Включение  T1=37,1 T2=37,4"}));
}

TEST(AnalysisReport, LinesThatAreNotRecordLinesCountAsAllOff) {
    const std::string full = At(8, kHeaterOn);
    const std::string cut_in_field = full.substr(0, full.find("OUT=") + 6);  // "... OUT=_2"
    const Lines display{
        At(1, kHeaterOn),    "  \t ",          At(3, kHeaterOn), "x", At(5, kHeaterOn),
        "\xff\xfe OUT=\xd0", At(7, kHeaterOn), cut_in_field};
    const Lines heater = Report(AnalysisMode::Heater, display);
    ASSERT_EQ(heater.size(), 9u);
    EXPECT_EQ(heater[2], "      _Выключение  T1= T2=");  // the blank line ends the period
    EXPECT_EQ(heater[4], "x  x    _Выключение  T1=x T2=x");
    EXPECT_EQ(heater[6], "OUT=\xd0  OUT=\xd0    _Выключение  T1=\xd0 T2=\xd0");
    EXPECT_EQ(heater[7], "05.06.15  12:00:07    Включение  T1=37,7 T2=37,4");
    // "_2" holds output 2, but not a whole outputs field: off, never read past its end.
    EXPECT_EQ(heater[8], "OUT=_2  OUT=_2    _Выключение  T1=37,8 T2=37,4");

    const Lines relay =
        Report(AnalysisMode::EmergencyRelay, {At(1, "_______8"), cut_in_field, "OUT=12345"});
    ASSERT_EQ(relay.size(), 3u);
    EXPECT_TRUE(relay[2].ends_with("_Выключение"));
    EXPECT_EQ(Report(AnalysisMode::TrayTurnings, {"OUT=____5"}).size(), 1u);
}

TEST(AnalysisReport, ANoteOrACutFieldIsNoSwitching) {
    // Fewer than five "=" (whatever eight characters follow the blanks), or a field after the
    // fifth shorter than eight characters.
    const std::string record = At(1, "_2__56__");
    const Lines notes{"12 октября перевернул лотки вручную", "  _2__56__ 1234",
                      record.substr(record.find("T2=")), "T1=1 T2=2 T3=3 HM=4 OUT=_2__56_"};
    EXPECT_EQ(Report(AnalysisMode::Heater, notes).size(), 1u);
    EXPECT_EQ(Report(AnalysisMode::TrayTurnings, notes).size(), 1u);
    EXPECT_EQ(Report(AnalysisMode::Heater, {record}).size(), 2u);
}

TEST(AnalysisReport, OutputPositionsCountCharactersNotBytes) {
    const auto line = [](const char* outs) {
        return std::string("T1=1  T2=2  T3=3  HM=4  OUT=") + outs + "  05.06.15 12:00:01";
    };
    EXPECT_EQ(Report(AnalysisMode::Heater, {line("Ж2______")}).size(), 2u);
    EXPECT_EQ(Report(AnalysisMode::Heater, {line("ЖЖ2_____")}).size(), 1u);
    EXPECT_EQ(Report(AnalysisMode::EmergencyRelay, {line("ЖЖЖЖЖЖЖ8")}).size(), 2u);
    EXPECT_EQ(Report(AnalysisMode::EmergencyRelay, {line("\xd0\xd0\xd0\xd0\xd0\xd0\xd0"
                                                         "8")})
                  .size(),
              2u);
}

TEST(AnalysisReport, AModeOutsideTheSevenRunsNothing) {
    const auto unknown = static_cast<AnalysisMode>('Q');
    EXPECT_FALSE(IsKnownAnalysisMode(unknown));
    EXPECT_FALSE(IsKnownAnalysisMode(static_cast<AnalysisMode>(0)));
    EXPECT_TRUE(Report(unknown, {At(1, "12345678")}).empty());
}
