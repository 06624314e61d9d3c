// The main window when a read fails, on the in-memory device and the virtual clock.
#include <cerrno>

#include "app/qt/tests/form1_fixture.h"

namespace {

using namespace std::chrono_literals;
using test_packets::Eight;

TEST_F(Form1Test, AFailedReadLeavesTheWatchdogAndTheResetTimerRunning) {
    Open().Settings().SignalOffData = true;
    Start();
    line->FailCall(FakeSerialCall::Read, EPROTO);
    line->Feed(Eight(0, 600, 590, 500));
    ASSERT_TRUE(ui_thread.RunUntil([&] { return Balloons().size() == 1; }, 10s));
    EXPECT_NE(Balloons()[0].find("ReadFile function failed"), std::string::npos);

    const std::size_t purges = line->Snapshot().purges.size();
    clock.Advance(500);
    EXPECT_EQ(line->Snapshot().purges.size(), purges + 1);  // the reset timer ran
    clock.Advance(2500);
    ASSERT_EQ(Balloons().size(), 2u);
    EXPECT_EQ(Balloons()[1], "Внимание!|Нет данных от инкубатора.");
}

}  // namespace
