// The engine counts its record lines and tells its front end where each goes; a chart's
// history listens and holds each sample before the front end draws it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "engine/history_recorder.h"
#include "engine/monitor_engine.h"
#include "engine/statistics/line_journal.h"
#include "engine/statistics/posix_file_system.h"
#include "engine/statistics/tests/temp_folder.h"
#include "engine/tests/packet_bytes.h"
#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/doubles/virtual_clock.h"

namespace {

using test_packets::Nine;

// A display that draws from the history as the window's chart does.
class ChartFront : public EngineFrontEnd {
  public:
    explicit ChartFront(const HistoryRecorder& history) : history_(history) {}
    void SampleDecoded(const TelemetrySample& sample) override {
        lines.push_back(sample.record_line);
        indexes.push_back(sample.history_index);
        drawn.push_back(history_.History().HistT1[sample.history_index]);
    }
    void DisplayStartsAfresh() override { ++fresh_starts; }
    void Warn(const Warning&) override {}
    void PortStartedChanged(bool) override {}

    std::vector<std::string> lines;
    std::vector<std::size_t> indexes;
    std::vector<double> drawn;  // the history's value at the new line, as the chart saw it
    int fresh_starts = 0;

  private:
    const HistoryRecorder& history_;
};

class EngineLines : public ::testing::Test {
  protected:
    EngineLines() {
        engine_.ApplySettings(EngineSettings{.SHT10 = true});
        subscription_ = engine_.AddListener(history_);
    }
    // A sample whose T1 is `t1` whole degrees.
    void Decode(unsigned t1) { engine_.DecodePacket(Nine(0, t1 * 16, 600, 300, 55)); }

    TempFolder folder_;
    platform::VirtualClock clock_;
    FakeSerialBackend serial_;
    QueuedUiThread thread_;
    HistoryRecorder history_;
    ChartFront front_{history_};
    MonitorEngine engine_{EngineServices{.timers = clock_,
                                         .serial = serial_,
                                         .logic_thread = thread_,
                                         .files = statistics::RealFileSystem(),
                                         .log_dir = folder_ / "log",
                                         .echo_line = {}},
                          front_};
    EngineSubscription subscription_;
};

TEST_F(EngineLines, EachLineGoesAfterThoseCountedAndTheChartDrawsItsOwnValue) {
    Decode(37);
    Decode(38);
    EXPECT_EQ(front_.indexes, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(front_.drawn, (std::vector<double>{37, 38}));
    EXPECT_EQ(engine_.LineCount(), 2u);

    // A file of 41 lines was opened into the display.
    engine_.DisplayHolds(41);
    Decode(39);
    EXPECT_EQ(front_.indexes.back(), 41u);
    EXPECT_EQ(front_.drawn.back(), 39);
    EXPECT_EQ(history_.History().HistT1[41], 39);
    EXPECT_EQ(engine_.LineCount(), 42u);
}

TEST_F(EngineLines, AtTheHistoryCapacityTheLinesStartAgainAtZero) {
    engine_.DisplayHolds(HISTORY_CAPACITY - 2);
    Decode(36);
    EXPECT_EQ(front_.fresh_starts, 0);
    Decode(37);  // the last line the history holds
    EXPECT_EQ(front_.fresh_starts, 1);
    EXPECT_EQ(engine_.LineCount(), 0u);
    Decode(38);
    EXPECT_EQ(front_.indexes,
              (std::vector<std::size_t>{HISTORY_CAPACITY - 2, HISTORY_CAPACITY - 1, 0}));
    EXPECT_EQ(history_.History().HistT1[HISTORY_CAPACITY - 1], 37);
    EXPECT_EQ(history_.History().HistT1[0], 38);
}

TEST_F(EngineLines, AHistoryBuiltApartTakesThePlaceOfTheOneInUse) {
    Decode(37);
    auto opened = std::make_unique<SampleHistory>();
    opened->Store(0, {35, 0, 0, 0, false});
    history_.Replace(std::move(opened));
    engine_.DisplayHolds(1);
    Decode(38);
    EXPECT_EQ(history_.History().HistT1[0], 35);
    EXPECT_EQ(history_.History().HistT1[1], 38);
}

// A line pending the autosave is in the journal once the logic thread's turn ends, whoever
// decoded it; a line received while the autosave is off is pending nowhere.
TEST_F(EngineLines, APendingLineIsJournalledWithinTheTurn) {
    Decode(37);
    ASSERT_EQ(front_.lines.size(), 1u);
    EXPECT_EQ(engine_.UnsavedLines(), "\r\n" + front_.lines[0]);
    thread_.RunPending();
    std::ostringstream journal;
    journal
        << std::ifstream(folder_ / "log/" + statistics::kJournalFileName, std::ios::binary).rdbuf();
    EXPECT_NE(journal.str().find(front_.lines[0]), std::string::npos);

    engine_.ApplySettings(EngineSettings{.SHT10 = true, .AutosaveMinutes = 0});
    Decode(38);
    EXPECT_EQ(engine_.UnsavedLines(), "\r\n" + front_.lines[0]);
    EXPECT_FALSE(engine_.AutosaveTimer().IsActive());
}

}  // namespace
