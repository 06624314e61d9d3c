#include "tray/tray_text.h"

#include <gtest/gtest.h>

namespace {

using tray::RecordText;

TEST(TrayTextTest, CarriageReturnsBecomeLineBreaks) {
    EXPECT_EQ(RecordText("T1=37,5\rT2=37,4\rT3=28,1\r\nHM=55", 127),
              "T1=37,5\nT2=37,4\nT3=28,1\nHM=55");
    EXPECT_EQ(RecordText("\r\r\n\n", 127), "\n\n\n");
    // A CR LF counts as one character when cutting.
    EXPECT_EQ(RecordText("ab\r\ncd", 4), "ab\nc");
}

}  // namespace
