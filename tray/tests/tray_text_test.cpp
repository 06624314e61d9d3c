#include "tray/tray_text.h"

#include <gtest/gtest.h>

#include "common/utf8.h"

namespace {

using tray::RecordText;

TEST(TrayTextTest, CarriageReturnsBecomeLineBreaks) {
    EXPECT_EQ(RecordText("T1=37,5\rT2=37,4\rT3=28,1\r\nHM=55", 127),
              "T1=37,5\nT2=37,4\nT3=28,1\nHM=55");
    EXPECT_EQ(RecordText("\r\r\n\n", 127), "\n\n\n");
    // A CR LF counts as one character when cutting.
    EXPECT_EQ(RecordText("ab\r\ncd", 4), "ab\nc");
}

TEST(TrayTextTest, CutsByCharactersNeverInsideALetter) {
    // 1-, 2-, 3- and 4-byte characters around the cut.
    const std::string mixed = "aЖ€😀bЖ";
    EXPECT_EQ(RecordText(mixed, 0), "");
    EXPECT_EQ(RecordText(mixed, 2), "aЖ");
    EXPECT_EQ(RecordText(mixed, 4), "aЖ€😀");
    EXPECT_EQ(RecordText(mixed, 5), "aЖ€😀b");
    EXPECT_EQ(RecordText(mixed, 100), mixed);
}

TEST(TrayTextTest, TipIsEmptyWithoutHintOrWithHintsOff) {
    EXPECT_EQ(tray::TipText("", true), "");
    EXPECT_EQ(tray::TipText("Инкубатор", false), "");
    EXPECT_EQ(tray::TipText("Инкубатор", true), "Инкубатор");
}

}  // namespace
