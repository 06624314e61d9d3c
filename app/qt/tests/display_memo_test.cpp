// The display: what emptying it gives back to the system, and which newest line it shows.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <fstream>
#include <string>
#include <vector>

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

// The display in a window of its own, lines arriving as the receiver appends them.
class DisplayFollowing : public ::testing::Test {
  protected:
    DisplayFollowing() {
        TestApp();
        window.resize(500, 300);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&edit);
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit.setUndoRedoEnabled(false);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        Add(100);
    }

    void Add(int lines) {
        for (int i = 0; i < lines; ++i) memo.Append("line " + std::to_string(++added));
        QCoreApplication::processEvents();
    }
    // The line at the bottom of the view, counted from 1 as they were added.
    int Bottom() const {
        return edit.cursorForPosition(QPoint(4, edit.viewport()->height() - 4)).blockNumber() + 1;
    }
    QScrollBar& Bar() { return *edit.verticalScrollBar(); }

    QWidget window;
    QPlainTextEdit edit;  // in the window; destroyed first
    DisplayMemo memo{edit};
    int added = 0;
};

TEST_F(DisplayFollowing, ResizingNeverStopsTheViewFollowing) {
    ASSERT_EQ(Bottom(), 100);
    window.resize(500, 150);  // fewer lines fit: the end moves down
    QCoreApplication::processEvents();
    Add(1);
    EXPECT_EQ(Bottom(), 101);
    window.resize(500, 400);
    QCoreApplication::processEvents();
    Add(1);
    EXPECT_EQ(Bottom(), 102);
    QFont bigger = edit.font();
    bigger.setPointSize(bigger.pointSize() + 6);
    edit.setFont(bigger);
    Add(1);
    EXPECT_EQ(Bottom(), 103);
    EXPECT_TRUE(memo.Following());
}

TEST_F(DisplayFollowing, HidingMinimisingAndRestoringNeverStopTheViewFollowing) {
    window.hide();  // into the tray
    Add(30);
    window.show();
    QTest::qWait(20);
    EXPECT_EQ(Bottom(), 130);
    Add(1);
    EXPECT_EQ(Bottom(), 131);

    window.showMinimized();
    Add(5);
    window.showNormal();
    QTest::qWait(20);
    Add(1);
    EXPECT_EQ(Bottom(), 137);
}

TEST_F(DisplayFollowing, ScrollingAwayStopsItScrollingBackToTheEndFollowsAgain) {
    Bar().triggerAction(QAbstractSlider::SliderPageStepSub);  // a click above the slider
    const int reading = Bottom();
    ASSERT_LT(reading, 100);
    Add(5);
    EXPECT_EQ(Bottom(), reading) << "the lines the user reads stay put";
    EXPECT_FALSE(memo.Following());
    window.resize(500, 200);
    QCoreApplication::processEvents();
    Add(1);
    EXPECT_FALSE(memo.Following()) << "a resize does not count as scrolling back";

    QTest::keyClick(&edit, Qt::Key_End, Qt::ControlModifier);
    Add(1);
    EXPECT_EQ(Bottom(), 107);
    EXPECT_TRUE(memo.Following());
}

TEST_F(DisplayFollowing, AnOpenedFileShowsItsEndAndTheViewFollows) {
    Bar().triggerAction(QAbstractSlider::SliderToMinimum);
    ASSERT_FALSE(memo.Following());
    std::vector<std::string> lines;
    for (int i = 1; i <= 500; ++i) lines.push_back("line " + std::to_string(i));
    memo.SetLines(lines);
    QCoreApplication::processEvents();
    EXPECT_EQ(Bottom(), 500);
    added = 500;
    Add(1);
    EXPECT_EQ(Bottom(), 501);

    Bar().triggerAction(QAbstractSlider::SliderToMinimum);
    memo.Clear();  // a new day
    Add(100);
    EXPECT_EQ(Bottom(), 100);
    EXPECT_TRUE(memo.Following());
}

}  // namespace
