// Settings model: sub-objects, the derived flow-control mode, the line settings record, the
// message table and the set conversions.
#include <gtest/gtest.h>

#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/serial_device_flags.h"
#include "serial/serial_dcb.h"
#include "serial/serial_event_mask.h"
#include "serial/serial_port.h"

namespace {

class SerialSettings : public ::testing::Test {
  protected:
    FakeSerialBackend backend;
    QueuedUiThread ui;
    TSerialPort port{backend, ui};
};

TEST_F(SerialSettings, WritingFlowControlModes) {
    TSerialFlowControl& f = port.FlowControl();
    f.SetControlDTR(dtrEnable);
    f.SetOutDSRFlow(true);
    f.SetXonXoffIn(true);  // one Xon/Xoff flag only: no named mode
    EXPECT_EQ(f.FlowControl(), fcCustom);

    f.SetFlowControl(fcCustom);
    EXPECT_TRUE(f.XonXoffIn());
    EXPECT_FALSE(f.XonXoffOut());

    f.SetFlowControl(fcHardware);
    EXPECT_EQ(f.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(f.OutCTSFlow());
    EXPECT_FALSE(f.XonXoffIn());
    EXPECT_EQ(f.FlowControl(), fcHardware);

    f.SetFlowControl(fcSoftware);
    EXPECT_EQ(f.ControlRTS(), rtsDisable);
    EXPECT_FALSE(f.OutCTSFlow());
    EXPECT_TRUE(f.XonXoffIn() && f.XonXoffOut());
    EXPECT_EQ(f.FlowControl(), fcSoftware);

    f.SetFlowControl(fcNone);
    EXPECT_FALSE(f.XonXoffIn() || f.XonXoffOut() || f.OutCTSFlow());
    EXPECT_EQ(f.ControlRTS(), rtsDisable);
    // DTR and DSR take no part in the modes.
    EXPECT_EQ(f.ControlDTR(), dtrEnable);
    EXPECT_TRUE(f.OutDSRFlow());
    EXPECT_EQ(f.FlowControl(), fcNone);

    f.SetControlRTS(rtsEnable);
    EXPECT_EQ(f.FlowControl(), fcCustom);
}

TEST_F(SerialSettings, OddQueueSizesAreStoredOneLess) {
    port.Buffer().SetInputSize(1023);
    EXPECT_EQ(port.Buffer().InputSize(), 1022);
    port.Buffer().SetOutputSize(1);
    EXPECT_EQ(port.Buffer().OutputSize(), 0);
    port.Buffer().SetOutputSize(-3);
    EXPECT_EQ(port.Buffer().OutputSize(), -3);
    EXPECT_EQ(MakeDcb(port).XonLim, 255);
    EXPECT_EQ(MakeDcb(port).XoffLim, 255);
}

TEST_F(SerialSettings, LineSettingsRecordOfTheMonitorsPort) {
    port.SetBaudRate(br4800);
    const SerialDcb d = MakeDcb(port);
    EXPECT_EQ(d.DCBlength, 28u);
    EXPECT_EQ(d.BaudRate, 4800u);
    EXPECT_EQ(d.fBinary, 1);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, 0);
    EXPECT_EQ(d.StopBits, 0);
    EXPECT_EQ(d.XonChar, 17);
    EXPECT_EQ(d.XoffChar, 19);
    EXPECT_EQ(d.XonLim, 256);
    EXPECT_EQ(d.fDtrControl, SerialDcb::kDtrControlDisable);
    EXPECT_EQ(d.fRtsControl, SerialDcb::kRtsControlDisable);
    EXPECT_EQ(d.fParity + d.fOutxCtsFlow + d.fOutxDsrFlow + d.fOutX + d.fInX + d.fErrorChar +
                  d.fNull + d.fAbortOnError,
              0);
}

TEST_F(SerialSettings, LineSettingsRecordFollowsEverySetting) {
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(31250);
    port.SetDataBits(dbSeven);
    port.SetStopBits(sbOne5StopBits);
    port.SetDiscardNull(true);
    port.SetEventChar('\n');
    port.Parity().SetBits(prSpace);
    port.Parity().SetCheck(true);
    port.Parity().SetReplace(true);
    port.Parity().SetReplaceChar('?');
    port.FlowControl().SetControlDTR(dtrHandshake);
    port.FlowControl().SetControlRTS(rtsToggle);
    port.FlowControl().SetOutDSRFlow(true);
    port.FlowControl().SetDSRSensitivity(true);
    port.FlowControl().SetTxContinueOnXoff(true);
    const SerialDcb d = MakeDcb(port);
    EXPECT_EQ(d.BaudRate, 31250u);
    EXPECT_EQ(d.ByteSize, 7);
    EXPECT_EQ(d.StopBits, 1);
    EXPECT_EQ(d.Parity, 4);
    EXPECT_EQ(d.fParity, 1);
    EXPECT_EQ(d.fErrorChar, 1);
    EXPECT_EQ(d.ErrorChar, '?');
    EXPECT_EQ(d.fNull, 1);
    EXPECT_EQ(d.EvtChar, '\n');
    EXPECT_EQ(d.fDtrControl, SerialDcb::kDtrControlHandshake);
    EXPECT_EQ(d.fRtsControl, SerialDcb::kRtsControlToggle);
    EXPECT_EQ(d.fOutxDsrFlow + d.fDsrSensitivity + d.fTXContinueOnXoff, 3);

    // Replacing needs checking.
    port.Parity().SetCheck(false);
    EXPECT_EQ(MakeDcb(port).fErrorChar, 0);
    EXPECT_EQ(MakeDcb(port).ErrorChar, 0);
}

TEST_F(SerialSettings, MinusOneTimeoutIsAllOnes) {
    port.Timeouts().SetReadInterval(300);
    SerialCommTimeouts t = MakeCommTimeouts(port);
    EXPECT_EQ(t, (SerialCommTimeouts{300, 0, 0, 100, 1000}));
    port.Timeouts().SetReadInterval(-1);
    EXPECT_EQ(MakeCommTimeouts(port).ReadIntervalTimeout, 0xFFFFFFFFu);
}

TEST_F(SerialSettings, AssigningASubObjectCopiesEveryField) {
    TSerialFlowControl source;
    source.SetFlowControl(fcSoftware);
    source.SetXonChar('A');
    source.SetControlDTR(dtrEnable);
    port.SetFlowControl(source);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcSoftware);
    EXPECT_EQ(port.FlowControl().XonChar(), 'A');
    EXPECT_EQ(port.FlowControl().ControlDTR(), dtrEnable);

    TSerialTimeouts timeouts;
    timeouts.SetReadInterval(300);
    timeouts.SetWriteTotalConstant(5);
    port.SetTimeouts(timeouts);
    EXPECT_EQ(port.Timeouts().ReadInterval(), 300);
    EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 5);
}

TEST(SerialErrorTable, MessagesCarryTheSystemCodeWhereTheTableSaysSo) {
    EXPECT_STREQ(ESerialPort(1, 2).what(), "Unable to open com port (win error code: 2)");
    EXPECT_EQ(ESerialPort(1, 2).ErrorIndex(), 1);
    EXPECT_EQ(ESerialPort(1, 2).SystemCode(), 2);
    EXPECT_STREQ(ESerialPort(23, 5).what(), "Registry error (win error code: 5)");
    // Entries without a code never show one.
    EXPECT_STREQ(ESerialPort(14, 22).what(), "Cannot set property while connected");
    EXPECT_EQ(ESerialPort(14, 22).SystemCode(), -1);
    EXPECT_STREQ(ESerialPort(18).what(), "Link (un)registration failed");
    EXPECT_STREQ(ESerialPort(6, 1).what(), "Unable to get async status");
    EXPECT_STREQ(SerialErrorText(0), "");
    EXPECT_STREQ(SerialErrorText(25), "");
}

TEST(SerialEventMask, EverySetOfEventsSurvivesTheRoundTrip) {
    for (unsigned bits = 0; bits < 1024; ++bits) {
        const auto events = TSerialEvents::FromBits(static_cast<std::uint16_t>(bits));
        ASSERT_EQ(MaskToEvents(EventsToMask(events)), events) << bits;
    }
    EXPECT_EQ(EventsToMask({evRxChar, evError}), serial_event::kRxChar | serial_event::kErr);
}

TEST(SerialEventMask, ParityErrorsCountOnlyWhenCheckingAndOtherErrorsAlways) {
    const unsigned all = line_error::kFrame | line_error::kParity | line_error::kOverrun |
                         line_error::kRxOver | line_error::kBreak | line_error::kTxFull |
                         line_error::kIo | line_error::kMode;
    EXPECT_EQ(LineErrorsToSet(all, true).ToBits(), 0xFF);
    EXPECT_FALSE(LineErrorsToSet(all, false).Contains(ceRxParity));
    EXPECT_EQ(LineErrorsToSet(all, false).ToBits(), 0xFD);
    EXPECT_EQ(ModemLinesToSet(modem_line::kRing | modem_line::kRlsd),
              (TLineSignals{lnRing, lnRLSD}));
}

}  // namespace
