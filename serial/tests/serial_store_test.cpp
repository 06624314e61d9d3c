// Saving and restoring the port's settings in an INI file in a temporary folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "serial/serial_port.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class SerialStore : public ::testing::Test {
  protected:
    SerialStore() {
        dir = fs::temp_directory_path() /
              ("serial-store-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        path = (dir / "monitor.ini").string();
        com1 = backend.AddPort("COM1");
        com2 = backend.AddPort("COM2");
        port.SetName("ComPort1");
        // As the main window's form sets it.
        port.SetBaudRate(br4800);
        port.Timeouts().SetReadInterval(300);
    }
    ~SerialStore() override { fs::remove_all(dir); }

    void WriteFile(const std::string& text) { std::ofstream(path) << text; }
    std::string FileText() {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    int ErrorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const ESerialPort& e) {
            EXPECT_EQ(e.SystemCode(), -1);
            return e.ErrorIndex();
        }
        return 0;
    }

    fs::path dir;
    std::string path;
    FakeSerialBackend backend;
    std::shared_ptr<FakeSerialLine> com1, com2;
    QueuedUiThread ui;
    TSerialPort port{backend, ui};
};

TEST_F(SerialStore, TheBasicGroupHoldsExactlyTheSixKeys) {
    port.SaveSettings(skIniFile, path);
    EXPECT_EQ(FileText(),
              "[ComPort1]\nPort=COM1\nBaudRate=4800\nStopBits=1\nDataBits=8\nParity=None\n"
              "FlowControl=None\n");
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(31250);
    port.SaveSettings(skIniFile, path);
    const platform::IniFile ini(path);
    EXPECT_THAT(ini.ReadSectionKeys("ComPort1"),
                ElementsAre("Port", "BaudRate", "StopBits", "DataBits", "Parity", "FlowControl",
                            "CustomBaudRate"));
    EXPECT_EQ(ini.ReadString("ComPort1", "BaudRate", ""), "Custom");
    EXPECT_EQ(ini.ReadInteger("ComPort1", "CustomBaudRate", 0), 31250);
}

TEST_F(SerialStore, EveryGroupSurvivesTheRoundTrip) {
    const TStoredGroups all{sgBasic, sgFlowControl, sgBuffer, sgTimeouts, sgParity, sgOthers};
    port.SetStoredGroups(all);
    port.SetPort("ttyUSB3");
    port.SetStopBits(sbTwoStopBits);
    port.SetDataBits(dbSeven);
    port.SetEventChar('\n');
    port.SetDiscardNull(true);
    port.Parity().SetBits(prMark);
    port.Parity().SetCheck(true);
    port.Parity().SetReplace(true);
    port.Parity().SetReplaceChar('?');
    port.Buffer().SetInputSize(4096);
    port.Buffer().SetOutputSize(512);
    port.Timeouts().SetReadTotalConstant(7);
    port.Timeouts().SetReadTotalMultiplier(3);
    port.Timeouts().SetWriteTotalConstant(-1);
    port.Timeouts().SetWriteTotalMultiplier(0);
    port.FlowControl().SetControlDTR(dtrHandshake);
    port.FlowControl().SetControlRTS(rtsToggle);
    port.FlowControl().SetDSRSensitivity(true);
    port.FlowControl().SetOutDSRFlow(true);
    port.FlowControl().SetTxContinueOnXoff(true);
    port.FlowControl().SetXonXoffIn(true);
    port.FlowControl().SetXonChar(1);
    port.FlowControl().SetXoffChar(' ');
    port.SaveSettings(skIniFile, path);

    TSerialPort other(backend, ui);
    other.SetName("ComPort1");
    other.SetStoredGroups(all);
    other.RestoreSettings(skIniFile, path);
    EXPECT_EQ(other.Port(), "ttyUSB3");
    EXPECT_EQ(other.BaudRate(), br4800);
    EXPECT_EQ(other.StopBits(), sbTwoStopBits);
    EXPECT_EQ(other.DataBits(), dbSeven);
    EXPECT_EQ(other.EventChar(), '\n');
    EXPECT_TRUE(other.DiscardNull());
    EXPECT_EQ(other.Parity().Bits(), prMark);
    EXPECT_TRUE(other.Parity().Check());
    EXPECT_TRUE(other.Parity().Replace());
    EXPECT_EQ(other.Parity().ReplaceChar(), '?');
    EXPECT_EQ(other.Buffer().InputSize(), 4096);
    EXPECT_EQ(other.Buffer().OutputSize(), 512);
    EXPECT_EQ(other.Timeouts().ReadInterval(), 300);
    EXPECT_EQ(other.Timeouts().ReadTotalConstant(), 7);
    EXPECT_EQ(other.Timeouts().ReadTotalMultiplier(), 3);
    EXPECT_EQ(other.Timeouts().WriteTotalConstant(), -1);
    EXPECT_EQ(other.Timeouts().WriteTotalMultiplier(), 0);
    const TSerialFlowControl& f = other.FlowControl();
    EXPECT_EQ(f.ControlDTR(), dtrHandshake);
    EXPECT_EQ(f.ControlRTS(), rtsToggle);
    EXPECT_TRUE(f.DSRSensitivity());
    EXPECT_TRUE(f.OutDSRFlow());
    EXPECT_TRUE(f.TxContinueOnXoff());
    EXPECT_TRUE(f.XonXoffIn());
    EXPECT_FALSE(f.XonXoffOut());
    EXPECT_FALSE(f.OutCTSFlow());
    EXPECT_EQ(f.XonChar(), 1);
    EXPECT_EQ(f.XoffChar(), ' ');
    EXPECT_EQ(platform::IniFile(path).ReadString("ComPort1", "FlowControl.XoffChar", ""), "#32");
}

TEST_F(SerialStore, OnlyTheStoredGroupsAreWrittenAndRead) {
    port.SetStoredGroups({sgTimeouts});
    port.SaveSettings(skIniFile, path);
    const platform::IniFile ini(path);
    EXPECT_FALSE(ini.Read("ComPort1", "Port"));
    EXPECT_EQ(ini.ReadInteger("ComPort1", "Timeouts.ReadInterval", 0), 300);
    WriteFile("[ComPort1]\nPort=COM9\nTimeouts.ReadInterval=50\n");
    port.RestoreSettings(skIniFile, path);
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.Timeouts().ReadInterval(), 50);
}

TEST_F(SerialStore, MissingKeysAndAMissingSectionLeaveTheSettingsAsTheyWere) {
    port.FlowControl().SetControlRTS(rtsEnable);  // a custom flow control
    WriteFile("[Form]\nTop=10\n[ComPort1]\nDataBits=7\n");
    port.RestoreSettings(skIniFile, path);
    EXPECT_EQ(port.DataBits(), dbSeven);
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.BaudRate(), br4800);
    EXPECT_EQ(port.FlowControl().ControlRTS(), rtsEnable);
    fs::remove(path);
    port.RestoreSettings(skIniFile, path);
    EXPECT_EQ(port.DataBits(), dbSeven);
}

TEST_F(SerialStore, StoredTextsAreMatchedAsTheTablesSay) {
    port.SetCustomBaudRate(12345);
    WriteFile("[comport1]\nbaudrate=Custom\nparity=none\nStopBits=1.5\n");
    port.RestoreSettings(skIniFile, path);
    EXPECT_EQ(port.BaudRate(), brCustom);
    EXPECT_EQ(port.CustomBaudRate(), 9600);  // no key: 9600, not the old value
    EXPECT_EQ(port.Parity().Bits(), prNone);
    EXPECT_EQ(port.StopBits(), sbOne5StopBits);
    WriteFile("[ComPort1]\nBaudRate=57601\nCustomBaudRate=777\n");
    port.RestoreSettings(skIniFile, path);
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.CustomBaudRate(), 9600);  // read only for a custom rate
}

TEST_F(SerialStore, AStoredFlowControlRewritesTheDetailsOnlyForANamedMode) {
    TSerialFlowControl& f = port.FlowControl();
    f.SetControlRTS(rtsEnable);
    f.SetXonXoffIn(true);
    f.SetControlDTR(dtrEnable);
    WriteFile("[ComPort1]\nFlowControl=Custom\n");
    port.RestoreSettings(skIniFile, path);
    EXPECT_EQ(f.ControlRTS(), rtsEnable);
    EXPECT_TRUE(f.XonXoffIn());
    WriteFile("[ComPort1]\nFlowControl=Hardware\n");
    port.RestoreSettings(skIniFile, path);
    EXPECT_EQ(f.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(f.OutCTSFlow());
    EXPECT_FALSE(f.XonXoffIn());
    EXPECT_FALSE(f.XonXoffOut());
    EXPECT_EQ(f.ControlDTR(), dtrEnable);
}

TEST_F(SerialStore, RestoringIntoAnOpenPortAppliesEverythingOnceAtTheEnd) {
    port.OpenPort();
    const int before = com1->Snapshot().set_state_calls;
    WriteFile("[ComPort1]\nBaudRate=9600\nDataBits=7\nParity=Even\nStopBits=2\n");
    port.RestoreSettings(skIniFile, path);
    const auto r = com1->Snapshot();
    EXPECT_EQ(r.set_state_calls, before + 1);
    EXPECT_EQ(r.dcb->BaudRate, 9600u);
    EXPECT_EQ(r.dcb->ByteSize, 7);
    EXPECT_EQ(r.dcb->Parity, 2);

    WriteFile("[ComPort1]\nPort=COM2\n");
    port.RestoreSettings(skIniFile, path);
    EXPECT_FALSE(com1->Snapshot().open);
    EXPECT_TRUE(com2->Snapshot().open);
    EXPECT_EQ(com2->Snapshot().dcb->BaudRate, 9600u);
}

TEST_F(SerialStore, AFailedApplyAtTheEndOfARestoreIsAFailedLoadAndKeepsWhatWasRead) {
    port.OpenPort();
    com1->FailCall(FakeSerialCall::SetState, EINVAL);
    WriteFile("[ComPort1]\nDataBits=6\n");
    EXPECT_EQ(ErrorOf([&] { port.RestoreSettings(skIniFile, path); }), 17);
    EXPECT_EQ(port.DataBits(), dbSix);
    EXPECT_EQ(port.UpdateDepth(), 0);
    EXPECT_TRUE(port.Connected());  // open before the restore: it keeps its old configuration
}

TEST_F(SerialStore, FailuresAreReportedAsFailedStoreAndLoad) {
    EXPECT_EQ(ErrorOf([&] { port.SaveSettings(skIniFile, (dir / "no/such/dir.ini").string()); }),
              16);
    EXPECT_EQ(ErrorOf([&] { port.SaveSettings(skRegistry, "HKEY_CURRENT_USER\\Software"); }), 16);
    EXPECT_EQ(ErrorOf([&] { port.RestoreSettings(skRegistry, "HKEY_CURRENT_USER\\Software"); }),
              17);
    EXPECT_EQ(port.UpdateDepth(), 0);
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
