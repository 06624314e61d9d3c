// A lost line on pseudo-terminals through the POSIX device: the test closes the master end (the
// hang-up of a pulled-out adapter) and brings a new terminal up behind the same symbolic link,
// as a device manager re-creates a name. Attempts run on the virtual clock; the test's thread
// is the UI thread.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/port_reopener.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/doubles/virtual_clock.h"
#include "platform/posix/posix_serial_device.h"
#include "platform/posix/tests/pty_fixture.h"
#include "platform/posix/tests/temp_folder.h"

namespace {

using namespace std::chrono_literals;

std::size_t Entries(const char* folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}
// How often the process's threads other than the caller have been switched out (woken or
// preempted) so far: a thread that waits or spins is, one that is idle is not.
long OtherThreadsSwitches() {
    long n = 0;
    const std::string self = std::to_string(::gettid());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self) continue;
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.find("ctxt_switches:") != std::string::npos)
                n += std::stol(line.substr(line.find(':') + 1));
    }
    return n;
}

// Each loss: the hang-up closes the port at once, and the first attempt 5 s later opens the new
// terminal behind the link. Nothing waits on the dead device, nothing spins while the device is
// gone, and nothing is left behind.
TEST(PortReopenerPty, AHundredLossesAreEachFoundAgainBehindTheLinkAndLeaveNothingBehind) {
    TempFolder folder;
    const std::string link = folder / "incubator";
    platform::VirtualClock clock;
    QueuedUiThread ui;
    PosixSerialBackend backend;
    TSerialPort port{backend, ui};
    std::vector<std::string> warnings;
    PortReopener reopener{port, clock,
                          [&](const Warning& warning) { warnings.push_back(warning.text); }};
    int lost = 0, last_byte = -1;
    port.SetPort(link);
    port.Timeouts().SetReadInterval(300);
    port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        if (p.ReadBytes(buf.data(), buf.size()) > 0) last_byte = buf.back();
    };
    port.OnConnectionLost = [&](TCustomSerialPort&) {
        ++lost;
        reopener.Lost();
    };

    const std::size_t descriptors = Entries("/proc/self/fd");
    const std::size_t threads = Entries("/proc/self/task");
    for (int i = 0; i < 100; ++i) {
        Pty pty;
        // A new link renamed over the old one, as udev does.
        ASSERT_EQ(::symlink(pty.Path().c_str(), (link + ".new").c_str()), 0);
        ASSERT_EQ(::rename((link + ".new").c_str(), link.c_str()), 0);
        if (i == 0) {
            reopener.Open();
        } else {
            clock.Advance(PortReopener::kRetryMs - 1);
            ASSERT_FALSE(port.Connected()) << i;
            clock.Advance(1);
        }
        ASSERT_TRUE(port.Connected()) << i;
        pty.Write({static_cast<std::uint8_t>(i)});
        ASSERT_TRUE(ui.RunUntil([&] { return last_byte == i; }, 10s)) << i;

        const auto closed = std::chrono::steady_clock::now();
        pty.CloseMaster();
        ASSERT_TRUE(ui.RunUntil([&] { return lost == i + 1 && !port.Connected(); }, 10s)) << i;
        if (i > 0) continue;
        RecordProperty("hang_up_to_closed_port_us",
                       std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now() - closed)
                                          .count()));
        // The event thread is gone, and no other thread runs meanwhile.
        EXPECT_EQ(Entries("/proc/self/task"), threads);
        const long switches = OtherThreadsSwitches();
        std::this_thread::sleep_for(500ms);
        EXPECT_EQ(OtherThreadsSwitches(), switches);
    }
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
    EXPECT_EQ(Entries("/proc/self/task"), threads);
    ASSERT_EQ(warnings.size(), 199u);  // each loss and each return once
    EXPECT_NE(warnings[0].find(link), std::string::npos);
}

}  // namespace
