// The setup dialog and its lists on the offscreen platform, driven with keys and clicks.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/qt/tests/qt_test_app.h"
#include "serial/qt/serial_combo_box.h"
#include "serial/qt/serial_setup_form.h"
#include "serial/serial_port.h"
#include "testing/temp_folder.h"
#include "ui_serial_setup_form.h"

namespace {

class SerialSetupDialog : public ::testing::Test {
  protected:
    SerialSetupDialog() {
        com1 = backend.AddPort("COM1");
        com2 = backend.AddPort("COM2");
        port.SetBaudRate(br4800);
    }

    static TSerialSelect::PortLister Ports(std::vector<std::string> names) {
        return [names](std::vector<std::string>& list) { list = names; };
    }

    // Shows the modal dialog; `user` acts in it once it is up. A dialog the user left open is
    // cancelled, so that a failing check never hangs the test.
    void RunDialog(const std::function<void(TSerialSetupForm&)>& user,
                   std::vector<std::string> ports = {"COM1", "COM2"}) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* form = dynamic_cast<TSerialSetupForm*>(QApplication::activeModalWidget());
            if (form == nullptr) return;
            seen = true;
            user(*form);
            if (form->isVisible()) form->reject();
        });
        ShowSettingsDialog(port, nullptr, Ports(std::move(ports)));
        EXPECT_TRUE(seen);
    }

    static void Press(QWidget* w, Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(w, key);
    }
    static void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

    FakeSerialBackend backend;
    std::shared_ptr<FakeSerialLine> com1, com2;
    QueuedUiThread ui;
    TSerialPort port{backend, ui};
};

TEST_F(SerialSetupDialog, ShowsThePortsValuesInItsSixLists) {
    port.Parity().SetBits(prOdd);
    RunDialog([](TSerialSetupForm& f) {
        EXPECT_EQ(f.windowTitle(), "Setup");
        EXPECT_EQ(f.size(), QSize(231, 216));
        Ui::TSerialSetupForm& u = f.ui();
        EXPECT_EQ(u.Combo1->currentText(), "COM1");
        EXPECT_EQ(u.Combo2->currentText(), "4800");
        EXPECT_EQ(u.Combo2->count(), 16);
        EXPECT_EQ(u.Combo3->currentText(), "8");
        EXPECT_EQ(u.Combo4->currentText(), "1");
        EXPECT_EQ(u.Combo5->currentText(), "Odd");
        EXPECT_EQ(u.Combo6->currentText(), "None");
        EXPECT_TRUE(u.Combo1->isEditable());
        EXPECT_FALSE(u.Combo2->isEditable());
        EXPECT_EQ(u.Label2->text(), "Baud rate");
        EXPECT_TRUE(u.Button1->isDefault());
    });
}

TEST_F(SerialSetupDialog, OkAppliesTheChoicesToAnOpenPortInOneGo) {
    port.OpenPort();
    RunDialog([](TSerialSetupForm& f) {
        Ui::TSerialSetupForm& u = f.ui();
        Press(u.Combo1, Qt::Key_Down);     // COM2
        Press(u.Combo2, Qt::Key_Down);     // 9600
        Press(u.Combo3, Qt::Key_Up);       // 7
        Press(u.Combo5, Qt::Key_Down, 2);  // Odd, Even
        Press(u.Combo6, Qt::Key_Up, 2);    // Software, Hardware
        Click(u.Button1);
    });
    EXPECT_EQ(port.Port(), "COM2");
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.DataBits(), dbSeven);
    EXPECT_EQ(port.Parity().Bits(), prEven);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcHardware);
    EXPECT_EQ(port.UpdateDepth(), 0);
    EXPECT_FALSE(com1->Snapshot().open);
    const auto r = com2->Snapshot();
    EXPECT_TRUE(r.open);
    EXPECT_EQ(r.opens, 1);
    EXPECT_EQ(r.set_state_calls, 1);
    EXPECT_EQ(r.dcb->BaudRate, 9600u);
    EXPECT_EQ(r.dcb->ByteSize, 7);
    EXPECT_EQ(r.dcb->fOutxCtsFlow, 1);
}

TEST_F(SerialSetupDialog, CancelChangesNothing) {
    port.OpenPort();
    const int states = com1->Snapshot().set_state_calls;
    RunDialog([](TSerialSetupForm& f) {
        Ui::TSerialSetupForm& u = f.ui();
        Press(u.Combo1, Qt::Key_Down);
        Press(u.Combo2, Qt::Key_Down);
        Press(u.Combo4, Qt::Key_Down);
        Click(u.Button2);
    });
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.BaudRate(), br4800);
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
    EXPECT_TRUE(com1->Snapshot().open);
    EXPECT_EQ(com1->Snapshot().set_state_calls, states);
    EXPECT_EQ(com2->Snapshot().opens, 0);
}

TEST_F(SerialSetupDialog, AnUnlistedPortKeepsItsNameWhenNoneIsChosen) {
    port.SetPort("ttyS9");
    RunDialog([](TSerialSetupForm& f) {
        EXPECT_EQ(f.ui().Combo1->currentIndex(), -1);
        Press(f.ui().Combo2, Qt::Key_Down);
        Click(f.ui().Button1);
    });
    EXPECT_EQ(port.Port(), "ttyS9");
    EXPECT_EQ(port.BaudRate(), br9600);
}

TEST_F(SerialSetupDialog, AnyDevicePathCanBeTypedAndAnOpenPortMovesToIt) {
    auto rfcomm = backend.AddPort("/dev/rfcomm0");
    port.OpenPort();
    RunDialog([](TSerialSetupForm& f) {
        QLineEdit* edit = f.ui().Combo1->lineEdit();
        ASSERT_NE(edit, nullptr) << "the port's list takes no typing";
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("  /dev/rfcomm0 "));
        Click(f.ui().Button1);
    });
    EXPECT_EQ(port.Port(), "/dev/rfcomm0");
    EXPECT_TRUE(port.Connected());
    EXPECT_FALSE(com1->Snapshot().open);
    EXPECT_EQ(rfcomm->Snapshot().opens, 1);

    // An emptied field keeps the name.
    RunDialog([](TSerialSetupForm& f) {
        EXPECT_EQ(f.ui().Combo1->currentText(), "/dev/rfcomm0");  // typed before, not listed
        ASSERT_NE(f.ui().Combo1->lineEdit(), nullptr);
        f.ui().Combo1->lineEdit()->clear();
        Click(f.ui().Button1);
    });
    EXPECT_EQ(port.Port(), "/dev/rfcomm0");
}

TEST_F(SerialSetupDialog, ALinkIsListedWithItsKernelNameAndChosenByItsOwnName) {
    TempFolder folder;
    const std::string by_id = folder.File("by-id");
    std::filesystem::create_directories(by_id);
    Spit(folder.File("ttyUSB3"), "");
    const std::string link = by_id + "/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    std::filesystem::create_symlink("../ttyUSB3", link);
    backend.AddPort(link);
    RunDialog(
        [&](TSerialSetupForm& f) {
            TSerialComboBox& ports = *f.ui().Combo1;
            ASSERT_EQ(ports.count(), 2);
            EXPECT_EQ(ports.itemText(0).toStdString(), link);
            EXPECT_EQ(ports.itemData(0, TSerialSetupForm::kDeviceRole).toString(), "ttyUSB3");
            EXPECT_FALSE(ports.itemData(1, TSerialSetupForm::kDeviceRole).isValid());
            // The popup is wide enough for the whole name and the kernel name.
            const QString shown = QString::fromStdString(link) + QStringLiteral("  (ttyUSB3)");
            EXPECT_GT(ports.view()->minimumWidth(), ports.fontMetrics().horizontalAdvance(shown));
            Press(&ports, Qt::Key_Up);  // from COM1 to the link
            Click(f.ui().Button1);
        },
        {link, "COM1"});
    EXPECT_EQ(port.Port(), link);
}

TEST_F(SerialSetupDialog, APortThatFailsToOpenStillEndsTheUpdate) {
    port.OpenPort();
    bool raised = false;
    try {
        RunDialog(
            [](TSerialSetupForm& f) {
                Press(f.ui().Combo1, Qt::Key_Down);  // COM9, which does not exist
                Click(f.ui().Button1);
            },
            {"COM1", "COM9"});
    } catch (const ESerialPort& e) {
        raised = true;
        EXPECT_EQ(e.ErrorIndex(), 1);
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(port.UpdateDepth(), 0);
    EXPECT_FALSE(port.Connected());
    // Later settings reach the port again.
    port.SetPort("COM1");
    port.OpenPort();
    port.SetBaudRate(br1200);
    EXPECT_EQ(com1->Snapshot().dcb->BaudRate, 1200u);
}

TEST_F(SerialSetupDialog, AListWithAutoApplySetsThePortOnTheUsersPickOnly) {
    TSerialComboBox combo;
    combo.SetComProperty(cpStopBits);
    EXPECT_EQ(combo.currentText(), "1");  // unbound: the first item
    combo.SetComPort(&port);
    combo.SetAutoApply(true);
    combo.setCurrentIndex(2);  // by the program: no pick
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
    combo.setCurrentIndex(0);
    Press(&combo, Qt::Key_Down);
    EXPECT_EQ(combo.Text(), "1.5");
    EXPECT_EQ(port.StopBits(), sbOne5StopBits);
    combo.SetText("2");
    EXPECT_EQ(combo.currentText(), "2");
}

}  // namespace
