// Writing the configuration: which keys each operation writes, in which order, what it
// leaves alone, and what a refused write does.

#include <signal.h>
#include <sys/resource.h>

#include <set>

#include <gtest/gtest.h>

#include "app/configuration.h"
#include "testing/temp_folder.h"

namespace {

using namespace config;
using platform::IniFile;

class ConfigurationWrite : public ::testing::Test {
  protected:
    std::string Path() const { return folder_.File("incubator-monitor.ini"); }
    IniFile Ini() const { return IniFile(Path()); }

    // The (section/key) pairs present in the file, for the sections of the key table.
    std::set<std::string> KeysInFile() const {
        std::set<std::string> keys;
        const IniFile ini = Ini();
        for (const char* section : {"Form", "ScrollBar", "Alarm", "ComPort1", "Temperature",
                                    "Programm", "Color", "Font", "LogFile"}) {
            for (const std::string& key : ini.ReadSectionKeys(section))
                keys.insert(std::string(section) + "/" + key);
        }
        return keys;
    }
    static std::set<std::string> KeysWrittenBy(unsigned operation) {
        std::set<std::string> keys;
        for (const KeyInfo& key : kKeyTable) {
            if (key.written_by & operation)
                keys.insert(std::string(key.section) + "/" + std::string(key.name));
        }
        return keys;
    }

    TempFolder folder_;
};

CloseState SomeCloseState(TWindowState state) {
    CloseState s;
    s.placement = {12, 34, 800, 600};
    s.state = state;
    s.chart = {140, 300, 250, true, "37,5", "1,0"};
    s.limits = {380, 360, 385, 355, 70, 40};
    s.Sound = "/usr/share/sounds/alarm.wav";
    return s;
}

TEST_F(ConfigurationWrite, CloseInTheNormalStateWritesItsKeysInOrder) {
    IniFile ini = Ini();
    WriteCloseConfiguration(ini, SomeCloseState(TWindowState::wsNormal));
    EXPECT_EQ(
        ini.ReadSectionKeys("Form"),
        (std::vector<std::string>{"Top", "Left", "Width", "Height", "ChBoxGrafNagrev", "InitMax"}));
    EXPECT_EQ(ini.ReadSectionKeys("ScrollBar"),
              (std::vector<std::string>{"GainY", "PosY", "XScale", "OfsetNagreCurve",
                                        "HeightNagreCurve"}));
    EXPECT_EQ(ini.ReadSectionKeys("Alarm"),
              (std::vector<std::string>{"T1_HI", "T1_LOW", "T2_HI", "T2_LOW", "T3_HI", "T3_LOW",
                                        "Sound"}));
    EXPECT_EQ(KeysInFile(), KeysWrittenBy(opClose));
    EXPECT_EQ(ini.Read("Form", "InitMax"), "0");
    EXPECT_EQ(ini.Read("Form", "ChBoxGrafNagrev"), "1");
    EXPECT_EQ(ini.Read("Alarm", "T3_LOW"), "40");

    const MainWindowConfiguration c = ReadMainWindowConfiguration(ini, ControlDefaults{});
    EXPECT_EQ(c.placement, (FormPlacement{12, 34, 800, 600}));
    EXPECT_FALSE(c.InitMax);
    EXPECT_EQ(c.chart, SomeCloseState(TWindowState::wsNormal).chart);
    EXPECT_EQ(c.limits.LimitT1Hi, 380);
    EXPECT_EQ(c.limits.LimitHMHi, 70);
    EXPECT_EQ(c.window.Sound, "/usr/share/sounds/alarm.wav");
}

TEST_F(ConfigurationWrite, CloseMaximisedRecordsInitMaxAndKeepsTheLastNormalSize) {
    Spit(Path(), "[Form]\nTop=1\nLeft=2\nWidth=640\nHeight=480\nInitMax=0\n");
    IniFile ini = Ini();
    CloseState state = SomeCloseState(TWindowState::wsMaximized);
    state.placement = {0, 0, 1920, 1050};
    WriteCloseConfiguration(ini, state);
    EXPECT_EQ(ini.Read("Form", "InitMax"), "1");
    const MainWindowConfiguration c = ReadMainWindowConfiguration(ini, ControlDefaults{});
    EXPECT_TRUE(c.InitMax);
    EXPECT_EQ(c.placement, (FormPlacement{0, 0, 640, 480}));
}

TEST_F(ConfigurationWrite, CloseMinimisedRecordsNotMaximisedAndNoSize) {
    IniFile ini = Ini();
    WriteCloseConfiguration(ini, SomeCloseState(TWindowState::wsMinimized));
    EXPECT_EQ(ini.Read("Form", "InitMax"), "0");
    EXPECT_FALSE(ini.Read("Form", "Width"));
    EXPECT_FALSE(ini.Read("Form", "Height"));
    EXPECT_EQ(ini.Read("Form", "Top"), "12");
}

TEST_F(ConfigurationWrite, ACloseKeepsEveryOtherLineOfAHandWrittenFile) {
    Spit(Path(),
         "; my incubator\r\n"
         "[form]\r\nTOP = 5\r\nstartintrey=1\r\n\r\n"
         "[ComPort1]\r\nPort=COM3\r\nBaudRate=9600\r\nOpenStart=1\r\n\r\n"
         "# colours chosen by hand\r\n[COLOR]\r\nFon=255\r\n\r\n"
         "[Extra]\r\nwhatever=kept\r\n");
    IniFile ini = Ini();
    CloseState state = SomeCloseState(TWindowState::wsMaximized);
    WriteCloseConfiguration(ini, state);
    EXPECT_EQ(Slurp(Path()),
              "; my incubator\r\n"
              "[form]\r\nTOP = 12\r\nstartintrey=1\r\nLeft=34\r\nChBoxGrafNagrev=1\r\n"
              "InitMax=1\r\n\r\n"
              "[ComPort1]\r\nPort=COM3\r\nBaudRate=9600\r\nOpenStart=1\r\n\r\n"
              "# colours chosen by hand\r\n[COLOR]\r\nFon=255\r\n\r\n"
              "[Extra]\r\nwhatever=kept\r\n\r\n"
              "[ScrollBar]\r\nGainY=140\r\nPosY=300\r\nXScale=250\r\n"
              "OfsetNagreCurve=37,5\r\nHeightNagreCurve=1,0\r\n\r\n"
              "[Alarm]\r\nT1_HI=380\r\nT1_LOW=360\r\nT2_HI=385\r\nT2_LOW=355\r\nT3_HI=70\r\n"
              "T3_LOW=40\r\nSound=/usr/share/sounds/alarm.wav\r\n");
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"incubator-monitor.ini"});
}

TEST_F(ConfigurationWrite, TheSettingsDialogWritesItsKeysAndReadsThemBack) {
    IniFile ini = Ini();
    SettingsDialogKeys k;
    k.OpenStart = k.SignalOffData = k.SignalOffDataSound = k.StartInTrey = k.MinToTrey = true;
    k.TimeSound = 9;
    k.AutosaveMinutes = 0;
    k.T1_enable = k.T2_enable = k.HM_enable = k.Okruglenie = false;
    k.ShowWindow = k.SHT10 = true;
    WriteSettingsDialogKeys(ini, k);
    EXPECT_EQ(KeysInFile(), KeysWrittenBy(opSettings));
    EXPECT_EQ(ReadSettingsDialogKeys(ini), k);
    EXPECT_TRUE(ReadStartInTrey(ini));
}

TEST_F(ConfigurationWrite, EachColourLabelWritesItsOwnKeyInDecimal) {
    IniFile ini = Ini();
    const std::vector<std::pair<ChartColorKey, std::string>> labels{
        {ChartColorKey::ckT1, "T1"},        {ChartColorKey::ckT2, "T2"},
        {ChartColorKey::ckT3, "T3"},        {ChartColorKey::ckHM, "HM"},
        {ChartColorKey::ckFon, "Fon"},      {ChartColorKey::ckGird, "Gird"},
        {ChartColorKey::ckNagrev, "Nagrev"}};
    ChartColors expected;
    TColor color = 0x010203;
    for (const auto& [key, name] : labels) {
        WriteColor(ini, key, color);
        EXPECT_EQ(ini.Read("Color", name), std::to_string(color)) << name;
        ColorOf(expected, key) = color;
        color += 0x010101;
    }
    EXPECT_EQ(KeysInFile(), KeysWrittenBy(opColour));
    EXPECT_EQ(ReadMainWindowConfiguration(ini, ControlDefaults{}).colors, expected);
}

TEST_F(ConfigurationWrite, TheFontsAreWrittenApart) {
    IniFile ini = Ini();
    WriteMainFont(ini, {"Terminus", 12});
    EXPECT_EQ(KeysInFile(), KeysWrittenBy(opFont));
    WriteAnalysisFont(ini, {"DejaVu Sans Mono", 10});
    EXPECT_EQ(KeysInFile(), KeysWrittenBy(opFont | opAnalysisFont));
    EXPECT_EQ(ReadMainWindowConfiguration(ini, ControlDefaults{}).memo_font,
              (platform::FontChoice{"Terminus", 12}));
    EXPECT_EQ(ReadAnalysisFont(ini, {"Sans", 8}), (platform::FontChoice{"DejaVu Sans Mono", 10}));
}

TEST_F(ConfigurationWrite, EveryValueTheWritersStoreIsReadBackAtCreation) {
    IniFile ini = Ini();
    const CloseState close = SomeCloseState(TWindowState::wsNormal);
    WriteCloseConfiguration(ini, close);
    SettingsDialogKeys dialog;
    dialog.OpenStart = dialog.SignalOffData = dialog.SignalOffDataSound = dialog.MinToTrey = true;
    dialog.ShowWindow = dialog.SHT10 = true;
    dialog.T1_enable = dialog.T2_enable = dialog.HM_enable = dialog.Okruglenie = false;
    dialog.TimeSound = 5;
    dialog.AutosaveMinutes = 30;
    WriteSettingsDialogKeys(ini, dialog);
    const ChartColors colors{1, 2, 3, 4, 5, 6, 7};
    for (auto key :
         {ChartColorKey::ckT1, ChartColorKey::ckT2, ChartColorKey::ckT3, ChartColorKey::ckHM,
          ChartColorKey::ckFon, ChartColorKey::ckGird, ChartColorKey::ckNagrev}) {
        ChartColors copy = colors;
        WriteColor(ini, key, ColorOf(copy, key));
    }
    WriteMainFont(ini, {"Terminus", 14});

    MainWindowConfiguration expected;
    expected.placement = close.placement;
    expected.MinToTrey = true;
    expected.OpenStart = true;
    expected.chart = close.chart;
    expected.limits = close.limits;
    expected.settings = {false, false, false, true, true, false, true, 30};
    expected.window = {true, close.Sound, 5};
    expected.colors = colors;
    expected.memo_font = {"Terminus", 14};
    EXPECT_EQ(ReadMainWindowConfiguration(ini, ControlDefaults{}), expected);
}

TEST_F(ConfigurationWrite, ARefusedWriteReportsThePathAndWritesNoneOfTheOperationsKeys) {
    const std::string before = "[Form]\nTop=1\nLeft=2\n";
    Spit(Path(), before);
    IniFile ini = Ini();
    // The file-size limit refuses the longer file even to root.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = before.size() + 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    try {
        WriteCloseConfiguration(ini, SomeCloseState(TWindowState::wsNormal));
        ADD_FAILURE() << "the close write succeeded";
    } catch (const platform::IniWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + Path()).c_str());
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(Slurp(Path()), before) << "not even Top, the first key, is written";
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"incubator-monitor.ini"});
}

TEST_F(ConfigurationWrite, AMissingFolderIsARefusedWrite) {
    IniFile ini(folder_.File("not-yet/incubator-monitor.ini"));
    EXPECT_THROW(WriteColor(ini, ChartColorKey::ckFon, clWhite), platform::IniWriteError);
    EXPECT_THROW(WriteMainFont(ini, {"Sans", 8}), platform::IniWriteError);
    EXPECT_TRUE(folder_.Names().empty());
}

}  // namespace
