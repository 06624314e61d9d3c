#include "platform/posix/loop_timers.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

namespace {

struct TimerEntry {
    std::uint32_t interval = 0;
    bool active = false;
    LoopTimers::Clock::time_point due{};
    std::uint64_t order = 0;  // ties between equal due times: earlier scheduled first
    Timer::TickHandler handler;
    // A handler set during a tick waits here: the running one must not be destroyed under
    // its own feet.
    Timer::TickHandler replacement;
    bool replaced = false;
    bool firing = false;
};

}  // namespace

struct LoopTimers::Table {
    std::uint64_t next_order = 0;
    std::vector<std::shared_ptr<TimerEntry>> entries;

    void Arm(TimerEntry& e, Clock::time_point from) {
        e.active = true;
        e.due = from + std::chrono::milliseconds(e.interval);
        e.order = next_order++;
    }
};

namespace {

class LoopTimer : public Timer {
  public:
    explicit LoopTimer(std::shared_ptr<LoopTimers::Table> table)
        : table_(std::move(table)), entry_(std::make_shared<TimerEntry>()) {
        table_->entries.push_back(entry_);
    }

    ~LoopTimer() override {
        // A tick in progress keeps its own reference to the entry until it returns.
        entry_->active = false;
        auto& all = table_->entries;
        all.erase(std::remove(all.begin(), all.end(), entry_), all.end());
    }

    void SetInterval(std::uint32_t ms) override {
        entry_->interval = ms;
        if (entry_->active) Start();
    }

    std::uint32_t Interval() const override { return entry_->interval; }

    bool Start() override {
        if (entry_->interval == 0) {
            entry_->active = false;
            return false;
        }
        table_->Arm(*entry_, LoopTimers::Clock::now());
        return true;
    }

    void Stop() override { entry_->active = false; }
    bool IsActive() const override { return entry_->active; }

    void SetTickHandler(TickHandler handler) override {
        if (entry_->firing) {
            entry_->replacement = std::move(handler);
            entry_->replaced = true;
        } else {
            entry_->handler = std::move(handler);
        }
    }

  private:
    std::shared_ptr<LoopTimers::Table> table_;
    std::shared_ptr<TimerEntry> entry_;
};

}  // namespace

LoopTimers::LoopTimers() : table_(std::make_shared<Table>()) {}

LoopTimers::~LoopTimers() = default;

std::unique_ptr<Timer> LoopTimers::CreateTimer() {
    return std::make_unique<LoopTimer>(table_);
}

std::optional<LoopTimers::Clock::time_point> LoopTimers::NextDue() const {
    std::optional<Clock::time_point> next;
    for (const auto& e : table_->entries)
        if (e->active && (!next || e->due < *next)) next = e->due;
    return next;
}

bool LoopTimers::FireNext(Clock::time_point now) {
    Table& t = *table_;
    const std::shared_ptr<TimerEntry>* best = nullptr;
    for (const auto& e : t.entries) {
        if (!e->active || e->due > now) continue;
        if (!best || e->due < (*best)->due || (e->due == (*best)->due && e->order < (*best)->order))
            best = &e;
    }
    if (!best) return false;
    // Our own reference: the handler may destroy its timer, which drops the table's.
    const std::shared_ptr<TimerEntry> entry = *best;

    // The next period first; the handler may change it. Behind by a whole interval or more,
    // count from now rather than fire a burst of ticks to catch up.
    const Clock::time_point on_time = entry->due;
    t.Arm(*entry, on_time);
    if (entry->due <= now) t.Arm(*entry, now);

    struct Done {
        TimerEntry& e;
        ~Done() {
            e.firing = false;
            if (e.replaced) {
                e.handler = std::move(e.replacement);
                e.replacement = nullptr;
                e.replaced = false;
            }
        }
    } done{*entry};
    entry->firing = true;
    if (entry->handler) entry->handler();
    return true;
}

}  // namespace platform
