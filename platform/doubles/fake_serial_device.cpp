#include "platform/doubles/fake_serial_device.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/serial_device_flags.h"

// --- the line

void FakeSerialLine::Feed(const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    if (!unreported_) unreported_ = SerialArrival{last_arrival_, {}};
    pending_events_ |= serial_event::kRxChar;
    changed_.notify_all();
}

void FakeSerialLine::Feed(const std::vector<std::uint8_t>& bytes, std::chrono::milliseconds at) {
    {
        std::lock_guard lock(mutex_);
        const std::chrono::nanoseconds arrival =
            std::max<std::chrono::nanoseconds>(at, last_arrival_);
        if (!unreported_) unreported_ = SerialArrival{arrival, arrival - last_arrival_};
        last_arrival_ = arrival;
    }
    Feed(bytes);
}

void FakeSerialLine::RaiseEvents(std::uint16_t events) {
    std::lock_guard lock(mutex_);
    pending_events_ |= events;
    changed_.notify_all();
}

void FakeSerialLine::SetModemLines(unsigned lines) {
    std::lock_guard lock(mutex_);
    modem_lines_ = lines;
}

void FakeSerialLine::AddLineErrors(unsigned errors) {
    std::lock_guard lock(mutex_);
    line_errors_ |= errors;
}

void FakeSerialLine::FailCall(FakeSerialCall call, int error) {
    std::lock_guard lock(mutex_);
    failures_[call] = error;
}

void FakeSerialLine::HangUp() {
    std::lock_guard lock(mutex_);
    hung_up_ = true;
    changed_.notify_all();
}

void FakeSerialLine::Unplug() {
    std::lock_guard lock(mutex_);
    hung_up_ = true;
    unplugged_ = true;
    input_.clear();
    changed_.notify_all();
}

void FakeSerialLine::PlugIn() {
    std::lock_guard lock(mutex_);
    unplugged_ = false;
}

FakeSerialLine::Record FakeSerialLine::Snapshot() {
    std::lock_guard lock(mutex_);
    Record r = record_;
    r.input_queued = input_.size();
    return r;
}

int FakeSerialLine::FailureOf(FakeSerialCall call) const {
    if (hung_up_) return EIO;
    const auto it = failures_.find(call);
    return it == failures_.end() ? 0 : it->second;
}

// --- the watcher

class FakeEventWaiter : public SerialEventWaiter {
  public:
    FakeEventWaiter(std::shared_ptr<FakeSerialLine> line, std::uint16_t events)
        : line_(std::move(line)), events_(events) {}
    ~FakeEventWaiter() override {
        std::lock_guard lock(line_->mutex_);
        line_->record_.watching = false;
    }

    Result Wait() override {
        std::unique_lock lock(line_->mutex_);
        ++line_->record_.waits;
        line_->changed_.wait(lock, [this] {
            return stopped_ || line_->hung_up_ || (line_->pending_events_ & events_) != 0;
        });
        if (stopped_) return {Result::Kind::Stopped, 0, 0};
        if (line_->hung_up_) return {Result::Kind::Failed, 0, EIO};
        const std::uint16_t got = line_->pending_events_ & events_;
        line_->pending_events_ &= static_cast<std::uint16_t>(~got);
        SerialArrival arrival{line_->last_arrival_, {}};
        if (got & serial_event::kRxChar) {
            arrival = line_->unreported_.value_or(arrival);
            line_->unreported_.reset();
        }
        return {Result::Kind::Events, got, 0, arrival};
    }

    void Stop() override {
        std::lock_guard lock(line_->mutex_);
        stopped_ = true;
        line_->changed_.notify_all();
    }

  private:
    std::shared_ptr<FakeSerialLine> line_;
    const std::uint16_t events_;
    bool stopped_ = false;  // under the line's mutex
};

// --- the device

class FakeSerialDevice : public SerialDevice {
  public:
    explicit FakeSerialDevice(std::shared_ptr<FakeSerialLine> line) : line_(std::move(line)) {}
    ~FakeSerialDevice() override {
        std::lock_guard lock(line_->mutex_);
        line_->record_.open = false;
    }

    int SetState(const SerialDcb& dcb) override {
        std::lock_guard lock(line_->mutex_);
        ++line_->record_.set_state_calls;
        if (int e = line_->FailureOf(FakeSerialCall::SetState)) return e;
        line_->record_.dcb = dcb;
        return 0;
    }
    int SetTimeouts(const SerialCommTimeouts& timeouts) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::SetTimeouts)) return e;
        line_->record_.timeouts = timeouts;
        return 0;
    }
    int SetupQueues(std::uint32_t input_size, std::uint32_t output_size) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::SetupQueues)) return e;
        line_->record_.input_size = input_size;
        line_->record_.output_size = output_size;
        return 0;
    }
    int Purge(unsigned flags) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::Purge)) return e;
        line_->record_.purges.push_back(flags);
        if (flags & kPurgeRx) line_->input_.clear();
        return 0;
    }
    int CancelTransfers() override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::CancelTransfers)) return e;
        ++line_->record_.cancels;
        return 0;
    }
    int SetDtr(bool on) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::SetDtr)) return e;
        line_->record_.dtr = on;
        return 0;
    }
    int SetRts(bool on) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::SetRts)) return e;
        line_->record_.rts = on;
        return 0;
    }
    int InputQueueLength(std::size_t& count) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::InputQueueLength)) return e;
        count = line_->input_.size();
        return 0;
    }
    int ModemStatus(unsigned& lines) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::ModemStatus)) return e;
        lines = line_->modem_lines_;
        return 0;
    }
    int TakeErrors(unsigned& errors) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::TakeErrors)) return e;
        errors = std::exchange(line_->line_errors_, 0u);
        return 0;
    }
    // Reads never wait here: the time-outs expire at once.
    int StartRead(SerialReadOp& op) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::Read)) return e;
        const std::size_t n = std::min(op.wanted - op.done, line_->input_.size());
        std::copy_n(line_->input_.begin(), n, op.buffer + op.done);
        line_->input_.erase(line_->input_.begin(), line_->input_.begin() + static_cast<long>(n));
        op.done += n;
        op.complete = true;
        return 0;
    }
    int FinishRead(SerialReadOp& op) override {
        std::lock_guard lock(line_->mutex_);
        if (int e = line_->FailureOf(FakeSerialCall::Read)) return e;
        op.complete = true;
        return 0;
    }
    std::unique_ptr<SerialEventWaiter> WatchEvents(std::uint16_t events, int& error) override {
        std::lock_guard lock(line_->mutex_);
        if ((error = line_->FailureOf(FakeSerialCall::WatchEvents)) != 0) return nullptr;
        ++line_->record_.watchers;
        line_->record_.watched = events;
        line_->record_.watching = true;
        return std::make_unique<FakeEventWaiter>(line_, events);
    }

  private:
    std::shared_ptr<FakeSerialLine> line_;
};

// --- the back end

std::shared_ptr<FakeSerialLine> FakeSerialBackend::AddPort(const std::string& name) {
    auto line = std::make_shared<FakeSerialLine>();
    lines_[name] = line;
    return line;
}

std::unique_ptr<SerialDevice> FakeSerialBackend::Open(const std::string& port, int& error) {
    const auto it = lines_.find(port);
    if (it == lines_.end()) {
        error = ENOENT;
        return nullptr;
    }
    FakeSerialLine& line = *it->second;
    std::lock_guard lock(line.mutex_);
    ++line.record_.open_attempts;
    if (line.unplugged_) {
        error = ENOENT;
        return nullptr;
    }
    if (line.record_.open) {
        error = EBUSY;
        return nullptr;
    }
    line.record_.open = true;
    ++line.record_.opens;
    line.hung_up_ = false;
    line.pending_events_ = 0;
    line.unreported_.reset();
    error = 0;
    return std::make_unique<FakeSerialDevice>(it->second);
}
