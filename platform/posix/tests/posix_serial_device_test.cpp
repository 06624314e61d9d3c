// The POSIX device on pseudo-terminals (never on the machine's own serial ports).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/posix_serial_device.h"
#include "platform/posix/pty_pair.h"
#include "platform/posix/tests/pty_fixture.h"
#include "platform/serial_device_flags.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

SerialDcb MonitorDcb() {
    SerialDcb d;
    d.DCBlength = 28;
    d.BaudRate = 4800;
    d.fBinary = 1;
    d.ByteSize = 8;
    return d;
}

std::unique_ptr<SerialDevice> OpenDevice(const std::string& path) {
    PosixSerialBackend backend;
    int error = -1;
    auto device = backend.Open(path, error);
    EXPECT_EQ(error, 0);
    if (device) {
        EXPECT_EQ(device->SetState(MonitorDcb()), 0);
    }
    return device;
}

// Waits until the device's input queue holds `count` bytes.
bool WaitForQueued(SerialDevice& device, std::size_t count) {
    const auto deadline = Clock::now() + 5s;
    std::size_t queued = 0;
    while (Clock::now() < deadline) {
        if (device.InputQueueLength(queued) == 0 && queued >= count) return true;
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

TEST(PosixSerialDevice, NamesThatAreNoTerminalAreRefused) {
    char dir[] = "/tmp/serial-dev-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    PosixSerialBackend backend(dir);
    int error = 0;
    EXPECT_EQ(backend.Open("COM1", error), nullptr);
    EXPECT_EQ(error, ENOENT);

    const std::string file = std::string(dir) + "/notatty";
    std::FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(backend.Open("notatty", error), nullptr);
    EXPECT_EQ(error, ENOTTY);
    std::remove(file.c_str());
    ::rmdir(dir);
}

TEST(PosixSerialDevice, OnlyOneOpenerAtATimeAndTheClaimEndsWithTheClose) {
    Pty pty;
    PosixSerialBackend backend;
    int error = 0;
    EXPECT_EQ(pty.SlaveExclusive(), 0);
    auto first = backend.Open(pty.Path(), error);
    ASSERT_NE(first, nullptr);
    // Both claims hold: the lock (which also stops root) and the terminal's exclusive mode.
    EXPECT_EQ(pty.SlaveExclusive(), 1);
    EXPECT_EQ(backend.Open(pty.Path(), error), nullptr);
    EXPECT_TRUE(error == EAGAIN || error == EBUSY) << error;
    first.reset();
    EXPECT_EQ(pty.SlaveExclusive(), 0);
    EXPECT_NE(backend.Open(pty.Path(), error), nullptr);
}

TEST(PosixSerialDevice, APseudoTerminalRefusesParityAndKeepsWhatItHad) {
    Pty pty;
    auto device = OpenDevice(pty.Path());
    ASSERT_NE(device, nullptr);
    SerialDcb even = MonitorDcb();
    even.Parity = 2;
    EXPECT_EQ(device->SetState(even), EINVAL);
    SerialDcb seven = MonitorDcb();
    seven.ByteSize = 7;
    EXPECT_EQ(device->SetState(seven), EINVAL);
    SerialDcb custom = MonitorDcb();
    custom.BaudRate = 14400;
    custom.StopBits = 1;
    EXPECT_EQ(device->SetState(custom), 0);
    // Still a working raw line.
    pty.Write({'\r', 0x03, 0x7f});
    ASSERT_TRUE(WaitForQueued(*device, 3));
    std::uint8_t buf[3] = {};
    SerialReadOp op{buf, 3};
    ASSERT_EQ(device->StartRead(op), 0);
    EXPECT_EQ(op.done, 3u);
    EXPECT_EQ(buf[0], '\r');
    EXPECT_EQ(buf[1], 0x03);
}

TEST(PosixSerialDevice, WithoutModemLinesControlRequestsDoNothingAndNothingIsReported) {
    Pty pty;
    auto device = OpenDevice(pty.Path());
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->SetDtr(true), 0);
    EXPECT_EQ(device->SetRts(false), 0);
    unsigned lines = 99, errors = 99;
    EXPECT_EQ(device->ModemStatus(lines), 0);
    EXPECT_EQ(lines, 0u);
    EXPECT_EQ(device->TakeErrors(errors), 0);
    EXPECT_EQ(errors, 0u);
}

TEST(PosixSerialDevice, IntervalTimeoutEndsAReadAfterAGapButNotBeforeTheFirstByte) {
    Pty pty;
    auto device = OpenDevice(pty.Path());
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->SetTimeouts({300, 0, 0, 0, 0}), 0);

    std::uint8_t buf[16] = {};
    SerialReadOp op{buf, 10};
    ASSERT_EQ(device->StartRead(op), 0);
    EXPECT_FALSE(op.complete);
    // The first byte comes late, then more within the interval, then a gap.
    std::jthread writer([&] {
        std::this_thread::sleep_for(400ms);
        pty.Write({1, 2});
        std::this_thread::sleep_for(100ms);
        pty.Write({3});
    });
    const auto start = Clock::now();
    ASSERT_EQ(device->FinishRead(op), 0);
    EXPECT_TRUE(op.complete);
    EXPECT_EQ(op.done, 3u);
    EXPECT_GE(Clock::now() - start, 700ms);
    EXPECT_EQ(buf[2], 3);
}

TEST(PosixSerialDevice, ReadEndsAtOnceWithTheCountThatIsWaiting) {
    Pty pty;
    auto device = OpenDevice(pty.Path());
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->SetTimeouts({300, 0, 0, 0, 0}), 0);
    pty.Write({1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_TRUE(WaitForQueued(*device, 8));
    std::uint8_t buf[8] = {};
    SerialReadOp op{buf, 8};
    ASSERT_EQ(device->StartRead(op), 0);
    EXPECT_TRUE(op.complete);
    EXPECT_EQ(op.done, 8u);

    // The default time-outs return at once even with nothing waiting.
    ASSERT_EQ(device->SetTimeouts({}), 0);
    SerialReadOp empty{buf, 8};
    ASSERT_EQ(device->StartRead(empty), 0);
    EXPECT_TRUE(empty.complete);
    EXPECT_EQ(empty.done, 0u);
}

TEST(PosixSerialDevice, AllOnesIntervalWithATotalReturnsWithTheFirstBytesThatCome) {
    Pty pty;
    auto device = OpenDevice(pty.Path());
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->SetTimeouts({SerialCommTimeouts::kMaxTimeout, 0, 5000, 0, 0}), 0);
    pty.Write({1, 2, 3});
    ASSERT_TRUE(WaitForQueued(*device, 3));
    std::uint8_t buf[10] = {};
    SerialReadOp waiting{buf, 10};
    ASSERT_EQ(device->StartRead(waiting), 0);
    EXPECT_TRUE(waiting.complete);
    EXPECT_EQ(waiting.done, 3u);

    // Nothing waits: the read ends with the first bytes, not with the full count.
    SerialReadOp empty{buf, 10};
    ASSERT_EQ(device->StartRead(empty), 0);
    EXPECT_FALSE(empty.complete);
    std::jthread writer([&] {
        std::this_thread::sleep_for(100ms);
        pty.Write({4, 5});
        std::this_thread::sleep_for(300ms);
        pty.Write({6, 7});
    });
    ASSERT_EQ(device->FinishRead(empty), 0);
    EXPECT_EQ(empty.done, 2u);
    EXPECT_EQ(buf[1], 5);
}

TEST(PosixSerialDevice, CancelTransfersAbortsAWaitingReadButNotALaterOne) {
    Pty pty;
    auto device = OpenDevice(pty.Path());
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->SetTimeouts({300, 0, 0, 0, 0}), 0);
    std::uint8_t buf[4] = {};
    SerialReadOp op{buf, 4};
    ASSERT_EQ(device->StartRead(op), 0);
    // Nothing is waiting: the read waits without limit for its first byte.
    auto read = std::async(std::launch::async, [&] { return device->FinishRead(op); });
    EXPECT_EQ(read.wait_for(100ms), std::future_status::timeout);
    EXPECT_EQ(device->CancelTransfers(), 0);
    if (read.wait_for(10s) != std::future_status::ready) {
        pty.Write({1, 2, 3, 4});  // let the read end, then fail
        FAIL() << "the cancel did not reach the read";
    }
    EXPECT_EQ(read.get(), ECANCELED);

    SerialReadOp next{buf, 2};
    ASSERT_EQ(device->StartRead(next), 0);
    std::jthread writer([&] {
        std::this_thread::sleep_for(100ms);
        pty.Write({5, 6});
    });
    EXPECT_EQ(device->FinishRead(next), 0);
    EXPECT_EQ(next.done, 2u);
    EXPECT_EQ(buf[1], 6);
}

TEST(PosixSerialDevice, PurgeDiscardsTheInputQueue) {
    Pty pty;
    auto device = OpenDevice(pty.Path());
    ASSERT_NE(device, nullptr);
    pty.Write({1, 2, 3, 4, 5});
    ASSERT_TRUE(WaitForQueued(*device, 5));
    EXPECT_EQ(device->Purge(SerialDevice::kPurgeRx | SerialDevice::kPurgeTx), 0);
    std::size_t queued = 99;
    EXPECT_EQ(device->InputQueueLength(queued), 0);
    EXPECT_EQ(queued, 0u);
    EXPECT_EQ(device->Purge(0), 0);
}

TEST(PosixSerialDevice, EventWaitReportsNewBytesOnlyAndEndsOnTheStopSignal) {
    Pty pty;
    auto device = OpenDevice(pty.Path());
    ASSERT_NE(device, nullptr);
    int error = -1;
    auto waiter = device->WatchEvents(0x05ff, error);
    ASSERT_NE(waiter, nullptr);
    EXPECT_EQ(error, 0);

    pty.Write({1, 2, 3});
    auto r = waiter->Wait();
    EXPECT_EQ(r.kind, SerialEventWaiter::Result::Kind::Events);
    EXPECT_EQ(r.events, serial_event::kRxChar);

    // The three bytes stay unread: the next wait sleeps until more arrive.
    auto next = std::async(std::launch::async, [&] { return waiter->Wait(); });
    EXPECT_EQ(next.wait_for(300ms), std::future_status::timeout);
    pty.Write({4});
    ASSERT_EQ(next.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(next.get().events, serial_event::kRxChar);
    std::size_t queued = 0;
    ASSERT_EQ(device->InputQueueLength(queued), 0);
    EXPECT_EQ(queued, 4u);

    auto stopped = std::async(std::launch::async, [&] { return waiter->Wait(); });
    EXPECT_EQ(stopped.wait_for(100ms), std::future_status::timeout);
    waiter->Stop();
    ASSERT_EQ(stopped.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(stopped.get().kind, SerialEventWaiter::Result::Kind::Stopped);
    EXPECT_EQ(waiter->Wait().kind, SerialEventWaiter::Result::Kind::Stopped);
}

TEST(PosixSerialDevice, AHangUpFailsTheWaitAndTheCalls) {
    Pty pty;
    auto device = OpenDevice(pty.Path());
    ASSERT_NE(device, nullptr);
    int error = -1;
    auto waiter = device->WatchEvents(serial_event::kRxChar, error);
    ASSERT_NE(waiter, nullptr);
    // Bytes that came just before the hang-up can no longer be read: the wait reports the
    // hang-up alone, not a receive event whose handler would then fail.
    pty.Write({1, 2, 3});
    pty.CloseMaster();
    const auto r = waiter->Wait();
    EXPECT_EQ(r.kind, SerialEventWaiter::Result::Kind::Failed);
    EXPECT_TRUE(IsHangUpError(r.error)) << r.error;
    EXPECT_EQ(waiter->Wait().kind, SerialEventWaiter::Result::Kind::Failed);

    ASSERT_EQ(device->SetTimeouts({300, 0, 0, 0, 0}), 0);
    std::uint8_t buf[4];
    SerialReadOp op{buf, 4};
    int read_error = device->StartRead(op);
    if (read_error == 0) read_error = device->FinishRead(op);
    EXPECT_TRUE(IsHangUpError(read_error)) << read_error;
    std::size_t queued = 0;
    EXPECT_TRUE(IsHangUpError(device->InputQueueLength(queued)));
}

}  // namespace
