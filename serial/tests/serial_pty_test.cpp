// The port on pseudo-terminals through the POSIX device: the test writes at the master end, the
// port has the other end. The test's thread is the UI thread.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/doubles/queued_ui_thread.h"
#include "platform/posix/posix_serial_device.h"
#include "platform/posix/pty_pair.h"
#include "platform/posix/tests/pty_fixture.h"
#include "serial/serial_port.h"

namespace {

using namespace std::chrono_literals;

class SerialPty : public ::testing::Test {
  protected:
    SerialPty() {
        port.SetPort(pty.Path());
        port.SetBaudRate(br4800);
        port.Timeouts().SetReadInterval(300);
    }

    // The monitor's receive handler: read everything that is waiting.
    void ReadEverything() {
        port.OnRxChar = [this](TCustomSerialPort& p, int count) {
            counts.push_back(count);
            std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
            const std::size_t n = p.ReadBytes(buf.data(), buf.size());
            received.insert(received.end(), buf.begin(), buf.begin() + static_cast<long>(n));
        };
    }

    bool ReceivedAtLeast(std::size_t n, std::chrono::milliseconds timeout = 10s) {
        return ui.RunUntil([&] { return received.size() >= n; }, timeout);
    }

    // Closes the port from another thread. Should the close hang, bytes from the master end
    // whatever read holds it up, so that the test fails instead of hanging.
    bool ClosesWithin(std::chrono::milliseconds limit) {
        auto closing = std::async(std::launch::async, [&] { port.ClosePort(); });
        if (closing.wait_for(limit) == std::future_status::ready) return true;
        pty.Write(std::vector<std::uint8_t>(64, 0));
        closing.wait();
        return false;
    }

    Pty pty;
    QueuedUiThread ui;
    PosixSerialBackend backend;
    std::vector<int> counts;
    std::vector<std::uint8_t> received;
    TSerialPort port{backend, ui};
};

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first = 0) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(first + i);
    return v;
}

bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST_F(SerialPty, BytesWrittenAtTheMasterArriveThroughRxChar) {
    ReadEverything();
    port.OpenPort();
    port.SetDtrLine(true);
    port.SetRtsLine(false);
    EXPECT_TRUE(port.ModemSignals().Empty());
    const auto sent = Bytes(200);
    for (std::size_t at = 0; at < sent.size(); at += 9)
        pty.Write({sent.begin() + static_cast<long>(at),
                   sent.begin() + static_cast<long>(std::min(at + 9, sent.size()))});
    ASSERT_TRUE(ReceivedAtLeast(sent.size()));
    EXPECT_EQ(received, sent);
    for (int c : counts) EXPECT_GE(c, 1);
}

// A steady clock that stands still until the test moves it, and counts its readings.
class StoppedClock {
  public:
    PosixEventWaiter::Clock Source() {
        return [this] {
            ++readings_;
            return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(now_.load()));
        };
    }
    void Advance(std::chrono::nanoseconds by) { now_ += by.count(); }
    int Readings() const { return readings_; }

  private:
    std::atomic<std::int64_t> now_{3'600'000'000'000};  // an hour after the epoch, in ns
    std::atomic<int> readings_{0};
};

// The quiet before bytes is the line's, not the handler's: bytes that came while the handler of
// earlier ones was slow (a busy user-interface thread) did not come after a silence. The event
// thread reads its clock as each wait begins and as it returns.
TEST_F(SerialPty, BytesThatCameWhileTheHandlerWasSlowAreNotAfterASilence) {
    StoppedClock clock;
    PosixSerialBackend stamped("/dev", clock.Source());
    TSerialPort timed{stamped, ui};
    timed.SetPort(pty.Path());
    std::vector<SerialArrival> arrivals;
    timed.OnRxChar = [&](TCustomSerialPort& p, int count) {
        arrivals.push_back(p.RxArrival());
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        received.resize(received.size() + p.ReadBytes(buf.data(), buf.size()));
        if (arrivals.size() == 1) {
            pty.Write({2});
            clock.Advance(300ms);  // a slow handler
        }
    };
    timed.OpenPort();
    ASSERT_TRUE(Eventually([&] { return clock.Readings() == 1; }));  // the first wait began
    pty.Write({1});
    ASSERT_TRUE(ReceivedAtLeast(2));
    // The third wait began; then the line is silent for 200 ms.
    ASSERT_TRUE(Eventually([&] { return clock.Readings() == 5; }));
    clock.Advance(200ms);
    pty.Write({3});
    ASSERT_TRUE(ReceivedAtLeast(3));
    ASSERT_EQ(arrivals.size(), 3u);
    EXPECT_EQ(arrivals[1].quiet, 0ms);
    EXPECT_EQ(arrivals[1].stamp - arrivals[0].stamp, 300ms);  // stamped as the wait returned
    EXPECT_EQ(arrivals[2].quiet, 200ms);
    EXPECT_EQ(arrivals[2].stamp - arrivals[1].stamp, 200ms);
    timed.ClosePort();
}

// Puts the end under test back into the kernel's default mode: echo and line editing.
void MakeCooked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    t.c_iflag |= ICRNL | IXON;
    t.c_oflag |= OPOST | ONLCR;
    t.c_lflag |= ECHO | ECHOE | ECHOK | ICANON | ISIG | IEXTEN | ECHOCTL;
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
    ::close(fd);
}

// The setup dialog reopens the port inside a deferred update: until the update ends the
// device has none of the port's settings, and must still neither echo nor wait for line ends.
TEST_F(SerialPty, APortOpenedWhileSettingsAreDeferredIsRawAtOnce) {
    MakeCooked(pty.Path());
    ReadEverything();
    port.BeginSettingsUpdate();
    port.OpenPort();
    const std::vector<std::uint8_t> packet = {0x01, 0x03, 0x0d, 0x7f, 0x1b, 0x11, 0x13, 0xfe};
    pty.Write(packet);
    ASSERT_TRUE(ReceivedAtLeast(packet.size()));
    EXPECT_EQ(received, packet);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(pty.ReadBack().empty());  // nothing went back to the controller
    port.EndSettingsUpdate();
}

TEST(SerialPtyOpen, AMissingNameInTheDeviceFolderFailsWithTheSystemCode) {
    char dir[] = "/tmp/serial-dev-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    PosixSerialBackend backend(dir);
    QueuedUiThread ui;
    TSerialPort port(backend, ui);
    try {
        port.OpenPort();
        FAIL() << "opened a missing device";
    } catch (const ESerialPort& e) {
        EXPECT_STREQ(e.what(), "Unable to open com port (win error code: 2)");
        EXPECT_EQ(e.SystemCode(), ENOENT);
    }
    EXPECT_FALSE(port.Connected());
    ::rmdir(dir);
}

TEST_F(SerialPty, ASecondOpenerFailsInThisProcessAndInAnother) {
    port.SetEvents({});  // no thread: the child below is forked from a single thread
    port.OpenPort();
    EXPECT_EQ(pty.SlaveExclusive(), 1);
    TSerialPort second(backend, ui);
    second.SetPort(pty.Path());
    try {
        second.OpenPort();
        FAIL() << "opened twice";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.ErrorIndex(), 1);
        EXPECT_TRUE(e.SystemCode() == EAGAIN || e.SystemCode() == EBUSY) << e.SystemCode();
    }

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PosixSerialBackend other;
        int error = 0;
        auto device = other.Open(pty.Path(), error);
        ::_exit(device ? 0 : error);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_TRUE(WEXITSTATUS(status) == EAGAIN || WEXITSTATUS(status) == EBUSY)
        << WEXITSTATUS(status);

    // Stop, then Start: the claim went with the close.
    port.ClosePort();
    EXPECT_EQ(pty.SlaveExclusive(), 0);
    second.OpenPort();
    EXPECT_TRUE(second.Connected());
}

TEST_F(SerialPty, StopDuringAFiftyPacketsPerSecondStreamNeverHangs) {
    ReadEverything();
    // Ends with the test, also when an assertion below returns early.
    std::jthread writer([&](std::stop_token stop) {
        const auto packet = Bytes(9, 0x40);
        while (!stop.stop_requested()) {
            pty.Write(packet);
            std::this_thread::sleep_for(20ms);
        }
    });
    for (int round = 0; round < 5; ++round) {
        received.clear();
        port.OpenPort();
        ASSERT_TRUE(ReceivedAtLeast(9 * 5));
        // Stop from the UI thread while the event thread waits for it with a hand-over.
        ASSERT_TRUE(Eventually([&] { return ui.QueuedCount() > 0; }));
        const std::size_t before = received.size();
        port.ClosePort();
        EXPECT_FALSE(port.Connected());
        // The abandoned hand-over runs no handler.
        ui.RunPending();
        EXPECT_EQ(received.size(), before);
    }
}

std::string Describe(const std::exception_ptr& error) {
    if (!error) return "none";
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown";
    }
}

// Closing the master is what an adapter pulled out looks like: a hang-up reported once, reads
// of nothing, the control calls failing with EIO.
TEST_F(SerialPty, AHangUpOfTheMasterClosesThePortAtOnceAndTellsOnce) {
    ReadEverything();
    int lost = 0;
    port.OnConnectionLost = [&](TCustomSerialPort&) { ++lost; };
    port.OpenPort();
    pty.Write(Bytes(9));
    ASSERT_TRUE(ReceivedAtLeast(9));
    pty.CloseMaster();
    ASSERT_TRUE(ui.RunUntil([&] { return lost == 1; }, 10s));
    // Ended by the hang-up itself, not by a receive step that failed on the dead device.
    EXPECT_FALSE(port.EventThreadError()) << Describe(port.EventThreadError());
    EXPECT_FALSE(port.Connected());

    Pty replacement;
    port.SetPort(replacement.Path());
    port.OpenPort();
    replacement.Write(Bytes(4, 100));
    ASSERT_TRUE(ReceivedAtLeast(13));
    EXPECT_EQ(received.back(), 103);
}

TEST_F(SerialPty, AHangUpUnderWindowSyncReportsNoError) {
    port.SetSyncMethod(smWindowSync);
    ReadEverything();
    port.OpenPort();
    pty.Write(Bytes(9));
    ASSERT_TRUE(ReceivedAtLeast(9));
    pty.CloseMaster();
    ASSERT_TRUE(ui.RunUntil([&] { return !port.EventThreadRunning(); }, 10s));
    ui.RunPending();
    const auto errors = ui.TakeReportedErrors();
    EXPECT_TRUE(errors.empty()) << Describe(errors.front());
    EXPECT_EQ(received.size(), 9u);
    EXPECT_FALSE(port.Connected());
}

// Without synchronisation the handler runs on the event thread; a read it waits in must not
// keep ClosePort from ending that thread.
TEST_F(SerialPty, WithoutSyncClosingAbortsTheReadAHandlerWaitsIn) {
    port.SetSyncMethod(smNone);
    std::atomic<bool> reading{false};
    std::atomic<int> read_error{0};
    port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count) + 1);
        p.ReadBytes(buf.data(), static_cast<std::size_t>(count));
        reading = true;
        try {
            // Nothing more comes: the read waits for its first byte without limit.
            p.ReadBytes(buf.data() + count, 1);
        } catch (const ESerialPort& e) {
            read_error = e.SystemCode();
            throw;
        }
    };
    port.OpenPort();
    pty.Write(Bytes(1));
    ASSERT_TRUE(Eventually([&] { return reading.load(); }));
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(ClosesWithin(10s));
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(read_error, ECANCELED);
}

TEST_F(SerialPty, WithoutSyncClosingAbortsAReadTheHandlerStartsWhileThePortCloses) {
    port.SetSyncMethod(smNone);
    std::atomic<bool> in_handler{false}, closing{false};
    port.OnBeforeClose = [&](TCustomSerialPort&) { closing = true; };
    port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count) + 1);
        p.ReadBytes(buf.data(), static_cast<std::size_t>(count));
        in_handler = true;
        Eventually([&] { return closing.load(); });
        // By now ClosePort has cancelled the transfers that were running: none.
        std::this_thread::sleep_for(100ms);
        p.ReadBytes(buf.data() + count, 1);
    };
    port.OpenPort();
    pty.Write(Bytes(1));
    ASSERT_TRUE(Eventually([&] { return in_handler.load(); }));
    EXPECT_TRUE(ClosesWithin(10s));
    EXPECT_FALSE(port.Connected());
}

TEST_F(SerialPty, AnExceptionFromRxCharEndsDeliveryUntilThePortIsReopened) {
    int calls = 0;
    port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        ++calls;
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        p.ReadBytes(buf.data(), buf.size());
        throw std::runtime_error("handler failed");
    };
    port.OpenPort();
    pty.Write(Bytes(3));
    ASSERT_TRUE(ui.RunUntil([&] { return !port.EventThreadRunning(); }, 10s));
    EXPECT_EQ(calls, 1);
    pty.Write(Bytes(3));
    ui.RunUntil([] { return false; }, 200ms);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(port.Connected());

    port.ClosePort();
    port.OpenPort();
    pty.Write(Bytes(3));
    ASSERT_TRUE(ui.RunUntil([&] { return calls == 2; }, 10s));
}

TEST_F(SerialPty, AHandlerThatReadsNothingGetsNoFurtherEventUntilMoreBytesCome) {
    port.OnRxChar = [&](TCustomSerialPort&, int count) { counts.push_back(count); };
    port.OpenPort();
    pty.Write(Bytes(5));
    ASSERT_TRUE(ui.RunUntil([&] { return !counts.empty(); }, 10s));
    // A thread that woke for the unread bytes would raise events here by the thousand.
    ui.RunUntil([] { return false; }, 300ms);
    EXPECT_LE(counts.size(), 2u);
    const std::size_t before = counts.size();
    pty.Write(Bytes(4));
    ASSERT_TRUE(ui.RunUntil([&] { return counts.size() > before; }, 10s));
    ui.RunUntil([&] { return counts.back() == 9; }, 2s);
    EXPECT_EQ(counts.back(), 9);  // the unread bytes are still there
}

TEST_F(SerialPty, ASettingThePseudoTerminalRefusesLeavesTheOpenPortWorking) {
    ReadEverything();
    port.OpenPort();
    try {
        port.Parity().SetBits(prEven);
        FAIL() << "a pseudo-terminal took parity";
    } catch (const ESerialPort& e) {
        EXPECT_STREQ(e.what(), "SetCommState function failed (win error code: 22)");
    }
    EXPECT_TRUE(port.Connected());
    pty.Write(Bytes(3));
    ASSERT_TRUE(ReceivedAtLeast(3));

    // Opening with a refused setting fails and leaves the device free.
    port.ClosePort();
    try {
        port.OpenPort();
        FAIL() << "opened with a refused setting";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.ErrorIndex(), 7);
    }
    port.Parity().SetBits(prNone);
    port.OpenPort();
    EXPECT_TRUE(port.Connected());
}

TEST_F(SerialPty, PurgeDiscardsWhatWaits) {
    port.SetEvents({});
    port.OpenPort();
    pty.Write(Bytes(6));
    ASSERT_TRUE(ui.RunUntil([&] { return port.PendingInputCount() == 6; }, 10s));
    port.PurgeBuffers(true, true);
    EXPECT_EQ(port.PendingInputCount(), 0);
}

}  // namespace
