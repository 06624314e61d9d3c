// The warning for a port that cannot be opened, with the error number injected.
#include "engine/port_open_failure.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/doubles/queued_ui_thread.h"
#include "platform/posix/posix_serial_device.h"
#include "platform/posix/tests/pty_fixture.h"
#include "serial/serial_error.h"
#include "serial/serial_port.h"

namespace {

const std::string kFirst = "Не могу открыть порт: ";

struct Lookups {
    std::vector<std::string> asked;
    std::optional<std::string> answer;
    DeviceGroupLookup Lookup() {
        return [this](const std::string& path) {
            asked.push_back(path);
            return answer;
        };
    }
};

std::string SecondLine(const std::string& text) {
    const auto at = text.find('\n');
    return at == std::string::npos ? std::string() : text.substr(at + 1);
}

TEST(PortOpenFailure, AMissingDeviceSaysSo) {
    for (int code : {ENOENT, ENODEV, ENXIO}) {
        Lookups groups;
        const std::string text =
            PortOpenFailureText("ttyUSB0", ESerialPort(1, code), groups.Lookup());
        EXPECT_EQ(text.substr(0, text.find('\n')), kFirst + "ttyUSB0") << code;
        EXPECT_NE(SecondLine(text).find("Устройство не найдено"), std::string::npos) << code;
        EXPECT_TRUE(groups.asked.empty());  // the group does not matter here
    }
}

TEST(PortOpenFailure, ARefusedAccessNamesTheDevicesGroup) {
    Lookups groups;
    groups.answer = "dialout";
    const std::string text = PortOpenFailureText("COM1", ESerialPort(1, EACCES), groups.Lookup());
    EXPECT_EQ(text, kFirst +
                        "COM1\nНет прав доступа к порту: добавьте пользователя в группу "
                        "«dialout» и войдите в систему заново.");
    ASSERT_EQ(groups.asked.size(), 1u);
    EXPECT_EQ(groups.asked[0], "/dev/ttyS0");  // the file the port name stands for

    groups.answer = std::nullopt;
    const std::string unknown =
        PortOpenFailureText("/dev/ttyACM0", ESerialPort(1, EPERM), groups.Lookup());
    EXPECT_EQ(groups.asked.back(), "/dev/ttyACM0");
    EXPECT_NE(SecondLine(unknown).find("группу, которой принадлежит устройство"),
              std::string::npos);
}

TEST(PortOpenFailure, APortHeldByAnotherProgramIsBusy) {
    for (int code : {EBUSY, EAGAIN, EWOULDBLOCK}) {
        const std::string text = PortOpenFailureText("COM3", ESerialPort(1, code), {});
        EXPECT_EQ(SecondLine(text), "Порт занят другой программой: закройте её и попробуйте снова.")
            << code;
    }
}

TEST(PortOpenFailure, OtherErrorsAddNoCause) {
    Lookups groups;
    for (int code : {EIO, EINVAL, ENOTTY, EMFILE, 0}) {
        EXPECT_EQ(PortOpenFailureText("COM1", ESerialPort(1, code), groups.Lookup()),
                  kFirst + "COM1")
            << code;
    }
    // Failures of later steps say nothing about why the open failed.
    EXPECT_EQ(PortOpenFailureText("COM1", ESerialPort(7, ENOENT), groups.Lookup()),
              kFirst + "COM1");
    EXPECT_EQ(PortOpenFailureText("COM1", ESerialPort(12, EBUSY), groups.Lookup()),
              kFirst + "COM1");
    EXPECT_EQ(PortOpenFailureText("COM1"), kFirst + "COM1");
    EXPECT_TRUE(groups.asked.empty());
}

TEST(PortOpenFailure, TheGroupOfAFileIsReadFromTheSystem) {
    char path[] = "/tmp/port-group-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const group* mine = ::getgrgid(::getegid());
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(DeviceFileGroup(path), std::string(mine->gr_name));
    std::remove(path);
    EXPECT_EQ(DeviceFileGroup(path), std::nullopt);
}

// The texts for what the POSIX device really reports.
std::string FailedOpenText(TSerialPort& port) {
    try {
        port.OpenPort();
    } catch (const ESerialPort& e) {
        return PortOpenFailureText(port.Port(), e, {});
    }
    return "opened";
}

TEST(PortOpenFailure, RealOpenFailuresOfTheDeviceGetTheirCause) {
    char dir[] = "/tmp/port-dev-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    PosixSerialBackend missing_backend(dir);
    QueuedUiThread ui;
    TSerialPort missing(missing_backend, ui);
    EXPECT_NE(SecondLine(FailedOpenText(missing)).find("Устройство не найдено"), std::string::npos);
    ::rmdir(dir);

    Pty pty;
    PosixSerialBackend backend;
    TSerialPort first(backend, ui), second(backend, ui);
    first.SetEvents({});
    first.SetPort(pty.Path());
    second.SetPort(pty.Path());
    first.OpenPort();
    EXPECT_EQ(SecondLine(FailedOpenText(second)),
              "Порт занят другой программой: закройте её и попробуйте снова.");
}

}  // namespace
