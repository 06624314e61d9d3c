// The display: what emptying it gives back to the system.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <fstream>
#include <string>

#include "app/qt/display_memo.h"
#include "platform/posix/freed_memory.h"
#include "platform/qt/tests/qt_test_app.h"

namespace {

// Resident memory of this process in KiB.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

TEST(DisplayMemoTest, EmptyingAFullDisplayGivesItsMemoryBack) {
    QPlainTextEdit edit;
    edit.setUndoRedoEnabled(false);
    DisplayMemo memo(edit);
    platform::ReturnFreedMemory();  // what earlier tests freed is not counted as ours
    const long before = ResidentKiB();
    // Lines arrive one at a time from the event loop; their many small blocks are what the
    // heap keeps.
    for (int i = 0; i < 30000; ++i) {
        memo.Append("07.12.2026 13:00:" + std::to_string(10 + i % 50) +
                    "\t00000101\t37,5\t37,6\t36,9\t55");
        if (i % 50 == 0) QCoreApplication::processEvents();
    }
    ASSERT_EQ(memo.Count(), 30000u);
    const long full = ResidentKiB();
    ASSERT_GT(full - before, 8 * 1024);

    memo.Clear();
    EXPECT_EQ(memo.Count(), 0u);
    // Weeks of daily roll-overs must not each keep a full display's worth.
    EXPECT_LT(ResidentKiB() - before, (full - before) / 4) << "full display: " << full - before;
}

}  // namespace
