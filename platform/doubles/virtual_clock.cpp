#include "platform/doubles/virtual_clock.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace platform {

namespace {

struct TimerState {
    std::uint32_t interval = 0;
    bool active = false;
    std::uint64_t due = 0;
    std::uint64_t order = 0;  // ties between equal due times: earlier scheduled first
    Timer::TickHandler handler;
};

}  // namespace

struct VirtualClock::Schedule {
    std::uint64_t now = 0;
    std::uint64_t next_order = 0;
    bool advancing = false;
    std::vector<std::shared_ptr<TimerState>> timers;

    void Arm(TimerState& t) {
        t.active = true;
        t.due = now + t.interval;
        t.order = next_order++;
    }
};

namespace {

class VirtualTimer : public Timer {
  public:
    explicit VirtualTimer(std::shared_ptr<VirtualClock::Schedule> schedule)
        : schedule_(std::move(schedule)), state_(std::make_shared<TimerState>()) {
        schedule_->timers.push_back(state_);
    }

    ~VirtualTimer() override {
        state_->active = false;
        auto& all = schedule_->timers;
        all.erase(std::remove(all.begin(), all.end(), state_), all.end());
    }

    void SetInterval(std::uint32_t ms) override {
        state_->interval = ms;
        if (state_->active) Start();
    }

    std::uint32_t Interval() const override { return state_->interval; }

    bool Start() override {
        if (state_->interval == 0) {
            state_->active = false;
            return false;
        }
        schedule_->Arm(*state_);
        return true;
    }

    void Stop() override { state_->active = false; }
    bool IsActive() const override { return state_->active; }
    void SetTickHandler(TickHandler handler) override { state_->handler = std::move(handler); }

  private:
    std::shared_ptr<VirtualClock::Schedule> schedule_;
    std::shared_ptr<TimerState> state_;
};

}  // namespace

VirtualClock::VirtualClock() : schedule_(std::make_shared<Schedule>()) {}

VirtualClock::~VirtualClock() = default;

std::unique_ptr<Timer> VirtualClock::CreateTimer() {
    return std::make_unique<VirtualTimer>(schedule_);
}

std::uint64_t VirtualClock::Now() const {
    return schedule_->now;
}

std::size_t VirtualClock::Advance(std::uint64_t ms) {
    Schedule& s = *schedule_;
    if (s.advancing) throw std::logic_error("VirtualClock::Advance called from a tick");
    s.advancing = true;
    struct Done {
        Schedule& s;
        ~Done() { s.advancing = false; }
    } done{s};  // also when a handler throws
    const std::uint64_t target = s.now + ms;
    std::size_t ticks = 0;
    for (;;) {
        // Handlers may add, remove or reschedule timers, so look again after every tick.
        std::shared_ptr<TimerState> next;
        for (const auto& t : s.timers) {
            if (!t->active || t->due > target) continue;
            if (!next || t->due < next->due || (t->due == next->due && t->order < next->order))
                next = t;
        }
        if (!next) break;
        s.now = next->due;
        s.Arm(*next);  // the next period; a handler may change that
        ++ticks;
        // A copy: the handler may replace itself or destroy its timer while it runs.
        if (auto handler = next->handler) handler();
    }
    s.now = target;
    return ticks;
}

std::size_t VirtualClock::ActiveTimers() const {
    return static_cast<std::size_t>(std::count_if(schedule_->timers.begin(),
                                                  schedule_->timers.end(),
                                                  [](const auto& t) { return t->active; }));
}

}  // namespace platform
