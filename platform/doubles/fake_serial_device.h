#pragma once
// An in-memory serial device: the test scripts arriving bytes, line events, modem lines, line
// errors, failures and a hang-up; the device records what the port asked of it.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/serial_device.h"

enum class FakeSerialCall {
    SetState,
    SetTimeouts,
    SetupQueues,
    Purge,
    CancelTransfers,
    SetDtr,
    SetRts,
    InputQueueLength,
    ModemStatus,
    TakeErrors,
    Read,
    WatchEvents
};

// One port of the fake back end, shared by the test and the open device.
class FakeSerialLine {
  public:
    // --- scripted by the test (any thread)
    // Bytes arrive in the input queue; the watcher sees one receive event. Without a time they
    // arrive when the last bytes did; `at` is a time on the test's clock (an earlier one counts
    // as the last bytes' time). The watcher stamps a wake-up with the arrival of the first bytes
    // it reports, quiet for as long as nothing had arrived before them.
    void Feed(const std::vector<std::uint8_t>& bytes);
    void Feed(const std::vector<std::uint8_t>& bytes, std::chrono::milliseconds at);
    // Events of one wake-up of the watcher.
    void RaiseEvents(std::uint16_t events);
    void SetModemLines(unsigned lines);
    void AddLineErrors(unsigned errors);
    // Every later call of this kind fails with `error` (0 clears the failure).
    void FailCall(FakeSerialCall call, int error);
    // The device went away: the watcher fails and every call fails with EIO.
    void HangUp();
    // The adapter is pulled out: a hang-up, and opens fail with ENOENT until it is put back.
    void Unplug();
    void PlugIn();

    // --- recorded
    struct Record {
        bool open = false;
        int opens = 0;
        int open_attempts = 0;  // also those that failed
        std::optional<SerialDcb> dcb;
        int set_state_calls = 0;
        std::optional<SerialCommTimeouts> timeouts;
        std::uint32_t input_size = 0, output_size = 0;
        std::optional<bool> dtr, rts;
        std::vector<unsigned> purges;
        int cancels = 0;
        int watchers = 0;  // watchers created
        std::uint16_t watched = 0;
        int waits = 0;          // Wait calls of all watchers
        bool watching = false;  // a watcher exists
        std::size_t input_queued = 0;
    };
    Record Snapshot();

  private:
    friend class FakeSerialDevice;
    friend class FakeEventWaiter;
    friend class FakeSerialBackend;

    int FailureOf(FakeSerialCall call) const;  // with the mutex held

    std::mutex mutex_;
    std::condition_variable_any changed_;
    Record record_;
    std::deque<std::uint8_t> input_;
    std::uint16_t pending_events_ = 0;
    std::chrono::nanoseconds last_arrival_{0};
    std::optional<SerialArrival> unreported_;  // of the first bytes no wake-up has reported
    unsigned modem_lines_ = 0;
    unsigned line_errors_ = 0;
    bool hung_up_ = false;
    bool unplugged_ = false;
    std::map<FakeSerialCall, int> failures_;
};

class FakeSerialBackend : public SerialBackend {
  public:
    // Adds a device that Open finds by this name.
    std::shared_ptr<FakeSerialLine> AddPort(const std::string& name);
    std::unique_ptr<SerialDevice> Open(const std::string& port, int& error) override;

  private:
    std::map<std::string, std::shared_ptr<FakeSerialLine>> lines_;
};
