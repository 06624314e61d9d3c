// The text forms of the settings.
#include "serial/serial_text.h"

#include <gtest/gtest.h>

namespace {

TEST(SerialText, EveryValueSurvivesTheRoundTripThroughItsText) {
    for (int i = 0; i < kBaudRateCount; ++i)
        EXPECT_EQ(TextToBaudRate(BaudRateToText(TBaudRate(i))), TBaudRate(i));
    for (int i = 0; i < kStopBitsCount; ++i)
        EXPECT_EQ(TextToStopBits(StopBitsToText(TStopBits(i))), TStopBits(i));
    for (int i = 0; i < kDataBitsCount; ++i)
        EXPECT_EQ(TextToDataBits(DataBitsToText(TDataBits(i))), TDataBits(i));
    for (int i = 0; i < kParityCount; ++i)
        EXPECT_EQ(TextToParity(ParityToText(TParityBits(i))), TParityBits(i));
    for (int i = 0; i < kFlowControlCount; ++i)
        EXPECT_EQ(TextToFlowControl(FlowControlToText(TFlowControl(i))), TFlowControl(i));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(TextToDtrControl(DtrControlToText(TDTRFlowControl(i))), TDTRFlowControl(i));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(TextToRtsControl(RtsControlToText(TRTSFlowControl(i))), TRTSFlowControl(i));
    // The texts themselves, at the ends of each table.
    EXPECT_EQ(BaudRateToText(brCustom), "Custom");
    EXPECT_EQ(BaudRateToText(br256000), "256000");
    EXPECT_EQ(StopBitsToText(sbOne5StopBits), "1.5");
    EXPECT_EQ(DataBitsToText(dbFive), "5");
    EXPECT_EQ(ParityToText(prSpace), "Space");
    EXPECT_EQ(FlowControlToText(fcNone), "None");
    EXPECT_EQ(DtrControlToText(dtrHandshake), "Handshake");
    EXPECT_EQ(RtsControlToText(rtsToggle), "Toggle");
}

TEST(SerialText, TextsMatchWithoutCaseAndUnknownTextsGiveTheFixedValue) {
    EXPECT_EQ(TextToBaudRate("57600"), br57600);
    EXPECT_EQ(TextToBaudRate("57601"), br9600);
    EXPECT_EQ(TextToBaudRate("custom"), brCustom);
    EXPECT_EQ(TextToBaudRate(""), br9600);
    EXPECT_EQ(TextToParity("none"), prNone);
    EXPECT_EQ(TextToParity("EVEN"), prEven);
    EXPECT_EQ(TextToParity("Even "), prNone);
    EXPECT_EQ(TextToStopBits("1,5"), sbOneStopBit);
    EXPECT_EQ(TextToStopBits("2"), sbTwoStopBits);
    EXPECT_EQ(TextToDataBits("9"), dbEight);
    EXPECT_EQ(TextToFlowControl("hardware"), fcHardware);
    EXPECT_EQ(TextToFlowControl("xon"), fcCustom);
    EXPECT_EQ(TextToDtrControl("enable"), dtrEnable);
    EXPECT_EQ(TextToDtrControl("on"), dtrDisable);
    EXPECT_EQ(TextToRtsControl("TOGGLE"), rtsToggle);
    EXPECT_EQ(TextToRtsControl("?"), rtsDisable);
}

TEST(SerialText, OnlyYesInAnyCaseIsTrue) {
    EXPECT_EQ(BoolToYesNo(true), "Yes");
    EXPECT_EQ(BoolToYesNo(false), "No");
    EXPECT_TRUE(YesNoToBool("yes"));
    EXPECT_TRUE(YesNoToBool("YeS"));
    EXPECT_FALSE(YesNoToBool("1"));
    EXPECT_FALSE(YesNoToBool("true"));
    EXPECT_FALSE(YesNoToBool("Yes "));
    EXPECT_FALSE(YesNoToBool(""));
}

TEST(SerialText, ControlCharactersAreWrittenAsHashAndCode) {
    EXPECT_EQ(CharToText(0), "#0");
    EXPECT_EQ(CharToText(17), "#17");
    EXPECT_EQ(CharToText(' '), "#32");
    EXPECT_EQ(CharToText('!'), "!");
    EXPECT_EQ(CharToText('A'), "A");
    EXPECT_EQ(CharToText('#'), "#");
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        ASSERT_EQ(TextToChar(CharToText(ch)), ch) << c;
    }
}

TEST(SerialText, CharacterTextsReadBack) {
    EXPECT_EQ(TextToChar("#13"), 13);
    EXPECT_EQ(TextToChar("#A"), 0);
    EXPECT_EQ(TextToChar("#"), '#');
    EXPECT_EQ(TextToChar(""), 0);
    EXPECT_EQ(TextToChar("#300"), static_cast<char>(300 & 0xFF));
    EXPECT_EQ(TextToChar("AB"), 'A');
    EXPECT_EQ(TextToChar("#-1"), static_cast<char>(0xFF));
}

}  // namespace
