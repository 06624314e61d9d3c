// The serial port list on a made-up sysfs and /dev in a temporary folder.
#include "platform/posix/serial_port_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class SerialPortList : public ::testing::Test {
  protected:
    SerialPortList() {
        root = fs::temp_directory_path() /
               ("serial-list-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "sys/class/tty");
        fs::create_directories(root / "dev");
        roots = {(root / "sys").string(), (root / "dev").string()};
    }
    ~SerialPortList() override { fs::remove_all(root); }

    // A terminal in the tty class; with a driver unless told otherwise, and a UART type if
    // given.
    void Tty(const std::string& name, bool driver = true, const char* type = nullptr) {
        const fs::path dir = root / "sys/class/tty" / name;
        fs::create_directories(dir);
        if (driver) fs::create_directories(dir / "device/driver");
        if (type != nullptr) std::ofstream(dir / "type") << type << "\n";
    }
    void Console(const std::string& active) {
        fs::create_directories(root / "sys/class/tty/console");
        std::ofstream(root / "sys/class/tty/console/active") << active << "\n";
    }
    void ById(const std::string& link, const std::string& target, bool create_target = true) {
        fs::create_directories(root / "dev/serial/by-id");
        fs::create_symlink(target, root / "dev/serial/by-id" / link);
        if (create_target) std::ofstream((root / "dev/serial/by-id" / target).lexically_normal());
    }

    std::vector<std::string> List() {
        std::vector<std::string> names{"stale"};
        EXPECT_EQ(ListSerialPortNames(names, roots), 0);
        return names;
    }

    fs::path root;
    SerialPortRoots roots;
};

TEST_F(SerialPortList, DevicesWithADriverNamedAsThePortOpensThemAndSortedWithoutCase) {
    Tty("ttyS0", true, "4");
    Tty("ttyS9", true, "4");
    Tty("ttyS1", true, "4");
    Tty("ttyUSB0");
    Tty("ttyACM0");
    Tty("tty3", false);  // a virtual console: no driver
    Tty("ptmx", false);
    EXPECT_THAT(List(), ElementsAre("COM1", "COM10", "COM2", "ttyACM0", "ttyUSB0"));
}

TEST_F(SerialPortList, TheConsoleAndUartsWithoutHardwareAreLeftOut) {
    Tty("ttyS0", true, "4");
    Tty("ttyS1", true, "0");
    Tty("ttyS2", true, "4");
    Tty("ttyAMA0", true, "0");
    Console("tty0 ttyS2");
    EXPECT_THAT(List(), ElementsAre("COM1"));
}

TEST_F(SerialPortList, AdaptersAreListedByTheirStableNamesWithTheKernelNameBeside) {
    Tty("ttyUSB0");
    Tty("ttyACM0");  // no by-id link: its kernel name
    ById("usb-FTDI_FT232R-if00-port0", "../../ttyUSB0");
    ById("usb-Prolific-if00-port0", "../../ttyUSB1");
    ById("usb-gone-if00", "../../ttyUSB7", false);  // dangling
    fs::create_directories(root / "dev/elsewhere");
    ById("usb-odd-if00", "../../elsewhere/ttyX");
    Console("ttyS0");
    Tty("ttyS0", true, "4");
    ById("usb-console-if00", "../../ttyS0");  // the console stays out under any name
    const std::string by_id = (root / "dev/serial/by-id").string();
    EXPECT_THAT(List(), ElementsAre(by_id + "/usb-FTDI_FT232R-if00-port0", by_id + "/usb-odd-if00",
                                    by_id + "/usb-Prolific-if00-port0", "ttyACM0"));

    EXPECT_EQ(KernelDeviceName(by_id + "/usb-FTDI_FT232R-if00-port0"), "ttyUSB0");
    EXPECT_EQ(KernelDeviceName(by_id + "/usb-odd-if00"), "ttyX");
    EXPECT_EQ(KernelDeviceName(by_id + "/usb-gone-if00"), "");
    EXPECT_EQ(KernelDeviceName((root / "dev/ttyUSB0").string()), "");  // no link
    EXPECT_EQ(KernelDeviceName("ttyUSB0"), "");
    EXPECT_EQ(KernelDeviceName("COM1"), "");
}

TEST_F(SerialPortList, NoTtyClassIsAnError) {
    fs::remove_all(root / "sys/class/tty");
    std::vector<std::string> names;
    EXPECT_EQ(ListSerialPortNames(names, roots), ENOENT);
    // Without by-id links and without ports the list is just empty.
    fs::create_directories(root / "sys/class/tty");
    EXPECT_TRUE(List().empty());
}

}  // namespace
