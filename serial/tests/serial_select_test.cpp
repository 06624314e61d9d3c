// Binding a setup list to one setting of a port.
#include "serial/serial_select.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "serial/serial_error.h"
#include "serial/serial_port.h"
#include "serial/serial_port_list.h"

namespace {

using ::testing::ElementsAre;

class SerialSelectTest : public ::testing::Test {
  protected:
    SerialSelectTest() {
        com1 = backend.AddPort("COM1");
        backend.AddPort("COM2");
        port.SetBaudRate(br4800);
    }

    TSerialSelect::PortLister Ports(std::vector<std::string> names) {
        return [names](std::vector<std::string>& list) { list = names; };
    }

    FakeSerialBackend backend;
    std::shared_ptr<FakeSerialLine> com1;
    QueuedUiThread ui;
    TSerialPort port{backend, ui};
};

TEST_F(SerialSelectTest, EachKindListsItsTextsAndAnUnboundListSelectsTheFirst) {
    TSerialSelect s(Ports({}));
    s.SetComProperty(cpBaudRate);
    ASSERT_EQ(s.Items().size(), 16u);
    EXPECT_EQ(s.Items()[0], "Custom");
    EXPECT_EQ(s.Items()[15], "256000");
    EXPECT_EQ(s.ItemIndex(), 0);
    s.SetComProperty(cpDataBits);
    EXPECT_THAT(s.Items(), ElementsAre("5", "6", "7", "8"));
    s.SetComProperty(cpStopBits);
    EXPECT_THAT(s.Items(), ElementsAre("1", "1.5", "2"));
    s.SetComProperty(cpParity);
    EXPECT_THAT(s.Items(), ElementsAre("None", "Odd", "Even", "Mark", "Space"));
    s.SetComProperty(cpFlowControl);
    EXPECT_THAT(s.Items(), ElementsAre("Hardware", "Software", "None", "Custom"));
    EXPECT_EQ(s.Text(), "Hardware");
    s.SetComProperty(cpNone);
    EXPECT_TRUE(s.Items().empty());
    EXPECT_EQ(s.ItemIndex(), -1);
    EXPECT_EQ(s.Text(), "");
}

TEST_F(SerialSelectTest, ABoundListSelectsAndRemembersThePortsValue) {
    port.FlowControl().SetControlRTS(rtsEnable);
    TSerialSelect baud(Ports({})), flow(Ports({}));
    baud.SetComPort(&port);
    baud.SetComProperty(cpBaudRate);
    EXPECT_EQ(baud.Text(), "4800");
    EXPECT_EQ(baud.BaudRate(), br4800);
    flow.SetComProperty(cpFlowControl);
    flow.SetComPort(&port);
    EXPECT_EQ(flow.Text(), "Custom");
    EXPECT_EQ(flow.FlowControl(), fcCustom);
    // Applying what was selected sets the same value again: nothing moves.
    flow.Apply();
    EXPECT_EQ(port.FlowControl().ControlRTS(), rtsEnable);
}

TEST_F(SerialSelectTest, APickIsAppliedAtOnceOnlyWithAutoApply) {
    TSerialSelect s(Ports({}));
    s.SetComProperty(cpParity);
    s.SetComPort(&port);
    s.Pick(2);
    EXPECT_EQ(s.ParityBits(), prEven);
    EXPECT_EQ(port.Parity().Bits(), prNone);
    s.Apply();
    EXPECT_EQ(port.Parity().Bits(), prEven);
    s.SetAutoApply(true);
    s.Pick(1);
    EXPECT_EQ(port.Parity().Bits(), prOdd);
}

TEST_F(SerialSelectTest, PortNamesMatchWithoutCaseAndAnUnlistedPortKeepsItsName) {
    TSerialSelect s(Ports({"COM1", "COM2", "ttyUSB0"}));
    port.SetPort("com2");
    s.SetComPort(&port);
    s.SetComProperty(cpPort);
    EXPECT_EQ(s.Text(), "COM2");
    EXPECT_EQ(s.PortName(), "COM2");

    TSerialSelect fresh(Ports({"COM1", "COM2"}));
    port.SetPort("ttyS9");
    fresh.SetComProperty(cpPort);
    fresh.SetComPort(&port);
    EXPECT_EQ(fresh.ItemIndex(), -1);
    fresh.Apply();
    EXPECT_EQ(port.Port(), "ttyS9");
    fresh.Pick(0);
    fresh.Apply();
    EXPECT_EQ(port.Port(), "COM1");
}

TEST_F(SerialSelectTest, TextSelectsOnlyAnExistingItem) {
    TSerialSelect s(Ports({}));
    s.SetComProperty(cpStopBits);
    s.SetText("2");
    EXPECT_EQ(s.ItemIndex(), 2);
    s.SetText("3");
    EXPECT_EQ(s.ItemIndex(), 2);
}

TEST_F(SerialSelectTest, TheWidgetIsToldOfNewItemsAndSelections) {
    TSerialSelect s(Ports({}));
    int items = 0, selections = 0;
    s.OnItemsChanged = [&] { ++items; };
    s.OnSelectionChanged = [&] { ++selections; };
    s.SetComProperty(cpDataBits);
    EXPECT_EQ(items, 1);
    EXPECT_EQ(selections, 1);
    s.Pick(3);
    EXPECT_EQ(selections, 2);
}

TEST_F(SerialSelectTest, ADestroyedPortClearsTheBindingAndSelectsTheFirstItem) {
    auto own = std::make_unique<TSerialPort>(backend, ui);
    TSerialSelect s(Ports({}));
    s.SetComProperty(cpBaudRate);
    s.SetComPort(own.get());
    EXPECT_EQ(s.Text(), "9600");
    own.reset();
    EXPECT_EQ(s.ComPort(), nullptr);
    EXPECT_EQ(s.ItemIndex(), 0);
    s.Pick(3);
    s.Apply();  // no port: nothing to touch

    // A list destroyed first withdraws its request.
    auto other = std::make_unique<TSerialPort>(backend, ui);
    {
        TSerialSelect gone(Ports({}));
        gone.SetComPort(other.get());
    }
    other.reset();
}

TEST_F(SerialSelectTest, APortListThatCannotBeReadSurfacesWhenTheListIsFilled) {
    TSerialSelect s([](std::vector<std::string>& list) {
        ListSerialPorts(list, {"/nonexistent-sys", "/nonexistent-dev"});
    });
    try {
        s.SetComProperty(cpPort);
        FAIL() << "no error";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.ErrorIndex(), 23);
        EXPECT_EQ(e.SystemCode(), ENOENT);
    }
}

}  // namespace
