// Reading the configuration: defaults, the value encodings and the key table.

#include "app/configuration.h"

#include <algorithm>
#include <cctype>
#include <set>

#include <gtest/gtest.h>

#include "testing/temp_folder.h"

namespace {

using namespace config;

class ConfigurationRead : public ::testing::Test {
  protected:
    platform::IniFile Ini(const std::string& content) {
        Spit(folder_.File("incubator-monitor.ini"), content);
        return platform::IniFile(folder_.File("incubator-monitor.ini"));
    }
    TempFolder folder_;
};

TEST_F(ConfigurationRead, WithoutAFileEveryKeyHasItsDefault) {
    const platform::IniFile ini(folder_.File("missing.ini"));
    const MainWindowConfiguration c = ReadMainWindowConfiguration(ini, ControlDefaults{});

    EXPECT_EQ(c.placement, (FormPlacement{100, 100, 584, 703}));
    EXPECT_FALSE(c.InitMax);
    EXPECT_FALSE(c.MinToTrey);
    EXPECT_FALSE(c.OpenStart);
    EXPECT_EQ(c.limits.LimitT1Hi, 390);
    EXPECT_EQ(c.limits.LimitT1Low, 350);
    EXPECT_EQ(c.limits.LimitT2Hi, 390);
    EXPECT_EQ(c.limits.LimitT2Low, 350);
    EXPECT_EQ(c.limits.LimitHMHi, 90);
    EXPECT_EQ(c.limits.LimitHMLow, 30);
    EXPECT_EQ(c.settings.AutosaveMinutes, 10);
    EXPECT_EQ(c.window.TimeSound, 3);
    EXPECT_EQ(c.window.Sound, "Windows XP - ошибка.wav");
    EXPECT_TRUE(c.settings.T1_enable && c.settings.T2_enable && c.settings.HM_enable);
    EXPECT_TRUE(c.settings.Okruglenie);
    EXPECT_FALSE(c.settings.SignalOffData || c.settings.SignalOffDataSound || c.window.ShowWindow ||
                 c.settings.SHT10);
    EXPECT_EQ(c.colors.T1, 0u);
    EXPECT_EQ(c.colors.T2, 16711680u);
    EXPECT_EQ(c.colors.T3, 8421440u);
    EXPECT_EQ(c.colors.HM, 0u);
    EXPECT_EQ(c.colors.Nagrev, 8421440u);
    EXPECT_EQ(c.colors.Fon, 16777215u);
    EXPECT_EQ(c.colors.Gird, 12632256u);
    EXPECT_EQ(c.chart, (ChartControls{0, 250, 100, false, "38,0", "0,5"}));
    EXPECT_EQ(c.memo_font, (platform::FontChoice{"MS Sans Serif", 8}));

    EXPECT_EQ(ReadSettingsDialogKeys(ini), SettingsDialogKeys{});
    EXPECT_EQ(SettingsDialogKeys{}.AutosaveMinutes, 10);
    EXPECT_FALSE(ReadStartInTrey(ini));
    EXPECT_TRUE(folder_.Names().empty()) << "reading creates no file";
}

TEST_F(ConfigurationRead, ControlDependentDefaultsAreThePresentValues) {
    const ControlDefaults present{5, 6, 7, {"DejaVu Sans", 11}};
    const MainWindowConfiguration missing =
        ReadMainWindowConfiguration(Ini("[ScrollBar]\nPosY=60\n"), present);
    EXPECT_EQ(missing.chart.GainY, 5);
    EXPECT_EQ(missing.chart.PosY, 60);
    EXPECT_EQ(missing.chart.XScale, 7);
    EXPECT_EQ(missing.memo_font, (platform::FontChoice{"DejaVu Sans", 11}));
    EXPECT_EQ(ReadAnalysisFont(Ini("[Font]\nSizeLog=14\n"), {"Liberation Mono", 9}),
              (platform::FontChoice{"Liberation Mono", 14}));
}

TEST_F(ConfigurationRead, AHandWrittenFileIsReadWithTheValueEncodings) {
    const platform::IniFile ini =
        Ini("; written by hand\r\n"
            "[FORM]\r\ntop = 0x1E\r\nLEFT=-5\r\nWidth=abc\r\nHeight=\r\nInitMax=2\r\n"
            "MinToTrey=-1\r\nChBoxGrafNagrev=yes\r\nStartInTrey=0x1\r\n"
            "[alarm]\r\nT1_HI=405\r\nT3_HI=80\r\nt3_low=0x14\r\nT1_enable=0\r\nHM_enable=x\r\n"
            "Sound=/home/u/звук.wav\r\nTimeSound=7\r\n"
            "[Color]\r\nT1=255\r\nFon=0x00C0FFEE\r\nGird=grey\r\n"
            "[comport1]\r\nPort=COM3\r\nOpenStart=1\r\nSignalOffData=1\r\n"
            "[Temperature]\r\nOkruglenie=0\r\n[Programm]\r\nSHT10=1\r\n"
            "[LogFile]\r\nTime=0\r\n[Font]\r\nName=Terminus\r\nSize=12\r\n"
            "[ScrollBar]\r\nOfsetNagreCurve= 36,5 \r\nXScale=400\r\n");
    const MainWindowConfiguration c = ReadMainWindowConfiguration(ini, ControlDefaults{});
    EXPECT_EQ(c.placement, (FormPlacement{30, -5, 584, 703}));
    EXPECT_TRUE(c.InitMax);
    EXPECT_TRUE(c.MinToTrey);
    EXPECT_FALSE(c.chart.ChBoxGrafNagrev) << "a boolean that does not parse has its default";
    EXPECT_TRUE(ReadStartInTrey(ini));
    EXPECT_EQ(c.limits.LimitT1Hi, 405);
    EXPECT_EQ(c.limits.LimitT1Low, 350);
    EXPECT_EQ(c.limits.LimitHMHi, 80) << "T3_HI holds the humidity limit";
    EXPECT_EQ(c.limits.LimitHMLow, 20);
    EXPECT_FALSE(c.settings.T1_enable);
    EXPECT_TRUE(c.settings.HM_enable);
    EXPECT_EQ(c.window.Sound, "/home/u/звук.wav");
    EXPECT_EQ(c.window.TimeSound, 7);
    EXPECT_EQ(c.colors.T1, 255u);
    EXPECT_EQ(c.colors.Fon, 0xC0FFEEu);
    EXPECT_EQ(c.colors.Gird, 12632256u);
    EXPECT_TRUE(c.OpenStart);
    EXPECT_TRUE(c.settings.SignalOffData);
    EXPECT_FALSE(c.settings.Okruglenie);
    EXPECT_TRUE(c.settings.SHT10);
    EXPECT_EQ(c.settings.AutosaveMinutes, 0);
    EXPECT_EQ(c.memo_font, (platform::FontChoice{"Terminus", 12}));
    EXPECT_EQ(c.chart.OfsetNagreCurve, "36,5");
    EXPECT_EQ(c.chart.HeightNagreCurve, "0,5");
    EXPECT_EQ(c.chart.XScale, 400);

    const SettingsDialogKeys k = ReadSettingsDialogKeys(ini);
    EXPECT_TRUE(k.OpenStart && k.SignalOffData && k.StartInTrey && k.MinToTrey && k.SHT10);
    EXPECT_FALSE(k.T1_enable || k.Okruglenie);
    EXPECT_EQ(k.TimeSound, 7);
    EXPECT_EQ(k.AutosaveMinutes, 0);
}

std::string Lowered(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

TEST(ConfigurationKeyTable, EveryKeyOnceAndThePortsOwnKeysLeftToThePort) {
    std::set<std::string> seen;
    for (const KeyInfo& key : kKeyTable) {
        EXPECT_TRUE(seen.insert(Lowered(key.section) + "/" + Lowered(key.name)).second)
            << key.section << "/" << key.name << " twice";
        EXPECT_NE(key.read_by, 0u) << key.name;
        EXPECT_NE(key.written_by, 0u) << key.name;
    }
    EXPECT_EQ(kKeyTable.size(), 42u);
    for (const char* port_key :
         {"Port", "BaudRate", "CustomBaudRate", "StopBits", "DataBits", "Parity", "FlowControl"})
        EXPECT_FALSE(seen.count("comport1/" + Lowered(port_key))) << port_key;
    for (const char* section : {"form", "scrollbar", "alarm", "comport1", "temperature", "programm",
                                "color", "font", "logfile"}) {
        EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [&](const std::string& k) {
            return k.starts_with(section);
        })) << section;
    }
}

}  // namespace
