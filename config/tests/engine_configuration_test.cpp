// What both programs read for their engine: the keys' encodings, and nothing of the window's.

#include "config/engine_configuration.h"

#include <gtest/gtest.h>

#include "testing/temp_folder.h"

namespace {

TEST(EngineConfiguration, WithoutAFileEverySettingAndLimitHasItsDefault) {
    TempFolder folder;
    const platform::IniFile ini(folder.File("missing.ini"));
    EXPECT_EQ(config::ReadAlarmLimits(ini), AlarmLimits{});
    EXPECT_EQ(config::ReadEngineSettings(ini), EngineSettings{});
    EXPECT_TRUE(folder.Names().empty()) << "reading creates no file";
}

TEST(EngineConfiguration, AHandWrittenFileIsReadWithTheValueEncodingsAndTheWindowsKeysLeft) {
    TempFolder folder;
    Spit(folder.File("hall-1.ini"),
         "[alarm]\r\nT1_HI=405\r\nt3_low=0x14\r\nT2_LOW=abc\r\nT1_enable=0\r\nHM_enable=x\r\n"
         "Sound=/home/u/звук.wav\r\nTimeSound=7\r\n"
         "[ComPort1]\r\nPort=/dev/ttyUSB0\r\nSignalOffData=1\r\nSignalOffDataSound=1\r\n"
         "[Temperature]\r\nOkruglenie=0\r\nShowWindow=1\r\n[Programm]\r\nSHT10=1\r\n"
         "[LogFile]\r\nTime=-5\r\n");
    const platform::IniFile ini(folder.File("hall-1.ini"));

    AlarmLimits limits;
    limits.LimitT1Hi = 405;
    limits.LimitHMLow = 20;
    EXPECT_EQ(config::ReadAlarmLimits(ini), limits) << "a value that does not parse: its default";

    EngineSettings expected;
    expected.T1_enable = false;
    expected.SignalOffData = true;
    expected.SignalOffDataSound = true;
    expected.Okruglenie = false;
    expected.SHT10 = true;
    expected.AutosaveMinutes = 0;  // a negative period would never save
    EXPECT_EQ(config::ReadEngineSettings(ini), expected)
        << "the sound, its repeat and the readout window are the window's own";
}

}  // namespace
