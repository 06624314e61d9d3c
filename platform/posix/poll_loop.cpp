#include "platform/posix/poll_loop.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/posix/loop_timers.h"
#include "platform/posix/unique_fd.h"
#include "platform/ui_handover.h"

namespace platform {

namespace {

constexpr std::uint64_t kWakeId = 0;  // the eventfd's epoll tag; watches count from 1
constexpr int kEventsPerRound = 32;

void WriteToStandardError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "unhandled exception: %s\n", e.what());
    } catch (...) {
        std::fputs("unhandled exception\n", stderr);
    }
}

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::system_category(), what);
}

struct WatchEntry {
    std::uint64_t id;
    int fd;
    PollLoop::FdHandler handler;
};

}  // namespace

struct PollLoop::Core {
    UniqueFd epoll;
    UniqueFd wake;
    const std::thread::id owner = std::this_thread::get_id();
    LoopTimers timers;
    ErrorReport report = WriteToStandardError;
    std::atomic<bool> quit{false};
    bool running = false;
    bool precise_wait = true;  // epoll_pwait2, with a nanosecond time-out

    // Posted steps: `incoming` is filled by any thread under the mutex; the loop swaps it
    // with `batch` and runs that. Both keep their capacity, so a steady flow allocates nothing.
    mutable std::mutex mutex;
    std::vector<std::function<void()>> incoming;
    bool wake_armed = false;  // the eventfd was written since the loop last took `incoming`
    std::vector<std::function<void()>> batch;
    std::size_t batch_next = 0;

    std::vector<std::shared_ptr<WatchEntry>> watches;
    std::uint64_t next_watch_id = kWakeId + 1;

    // The eventfd is watched edge-triggered: each write is one report, and it is never read
    // (its counter, a write per wake-up, would take millennia to fill).
    void Wake() {
        const std::uint64_t one = 1;
        // Fails only when the counter would overflow, and then it is readable anyway.
        [[maybe_unused]] const ssize_t n = ::write(wake.Get(), &one, sizeof one);
    }

    bool StepsWaiting() const {
        if (batch_next < batch.size()) return true;
        std::lock_guard lock(mutex);
        return !incoming.empty();
    }

    // How long the next wait may sleep; nothing: until woken.
    std::optional<LoopTimers::Clock::duration> WaitTimeout() const {
        if (StepsWaiting()) return LoopTimers::Clock::duration::zero();
        const auto due = timers.NextDue();
        if (!due) return std::nullopt;
        return std::max(*due - LoopTimers::Clock::now(), LoopTimers::Clock::duration::zero());
    }

    int Wait(epoll_event* ready, int size) {
        const auto timeout = WaitTimeout();
        if (precise_wait) {
            timespec ts{};
            if (timeout) {
                const auto s = std::chrono::floor<std::chrono::seconds>(*timeout);
                ts.tv_sec = static_cast<time_t>(s.count());
                ts.tv_nsec = static_cast<long>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(*timeout - s).count());
            }
            const int n =
                ::epoll_pwait2(epoll.Get(), ready, size, timeout ? &ts : nullptr, nullptr);
            if (n >= 0 || errno != ENOSYS) return n;
            precise_wait = false;  // before Linux 5.11
        }
        // Whole milliseconds, rounded up: waking before the due time would find nothing to do.
        int ms = -1;
        if (timeout) {
            const auto whole = std::chrono::ceil<std::chrono::milliseconds>(*timeout).count();
            ms = static_cast<int>(std::min<decltype(whole)>(whole, INT_MAX));
        }
        return ::epoll_wait(epoll.Get(), ready, size, ms);
    }

    template <typename F>
    void Guarded(F&& f) {
        try {
            f();
        } catch (...) {
            if (report) report(std::current_exception());
        }
    }

    void Dispatch(std::uint64_t id, std::uint32_t events) {
        // Found by id: an earlier handler of this round may have ended the watch, and a new
        // one may even have the same descriptor number.
        auto it = std::find_if(watches.begin(), watches.end(),
                               [id](const auto& w) { return w->id == id; });
        if (it == watches.end()) return;
        const std::shared_ptr<WatchEntry> entry = *it;  // the handler may end its watch
        Guarded([&] { entry->handler(events); });
    }

    void RunRound() {
        epoll_event ready[kEventsPerRound];
        int n = Wait(ready, kEventsPerRound);
        if (n < 0) {
            if (errno != EINTR) ThrowErrno("epoll_wait");
            n = 0;
        }
        for (int i = 0; i < n && !quit; ++i)
            if (ready[i].data.u64 != kWakeId) Dispatch(ready[i].data.u64, ready[i].events);
        const auto now = LoopTimers::Clock::now();
        bool fired = true;
        while (fired && !quit) Guarded([&] { fired = timers.FireNext(now); });
        RunSteps();
    }

    void RunSteps() {
        if (batch_next == batch.size()) {
            batch.clear();
            batch_next = 0;
            // The wake-up was taken before this, so a post from now on wakes the next wait.
            std::lock_guard lock(mutex);
            batch.swap(incoming);
            wake_armed = false;
        }
        while (batch_next < batch.size() && !quit) {
            auto& step = batch[batch_next++];
            Guarded(step);
            step = nullptr;  // what it holds goes now, not with the next batch
        }
    }
};

PollLoop::PollLoop() : core_(std::make_shared<Core>()) {
    core_->epoll.Reset(::epoll_create1(EPOLL_CLOEXEC));
    if (!core_->epoll.Valid()) ThrowErrno("epoll_create1");
    core_->wake.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!core_->wake.Valid()) ThrowErrno("eventfd");
    epoll_event wake{};
    wake.events = EPOLLIN | EPOLLET;
    wake.data.u64 = kWakeId;
    if (::epoll_ctl(core_->epoll.Get(), EPOLL_CTL_ADD, core_->wake.Get(), &wake) != 0)
        ThrowErrno("epoll_ctl");
}

PollLoop::~PollLoop() = default;

void PollLoop::Run() {
    Core& c = *core_;
    if (!IsLoopThread()) throw std::logic_error("PollLoop::Run called off the loop's thread");
    if (c.running) throw std::logic_error("PollLoop::Run called from inside Run");
    c.running = true;
    struct Done {
        Core& c;
        ~Done() {
            c.running = false;
            c.quit = false;
        }
    } done{c};
    while (!c.quit) c.RunRound();
}

void PollLoop::Quit() {
    core_->quit = true;
    core_->Wake();
}

bool PollLoop::IsLoopThread() const {
    return std::this_thread::get_id() == core_->owner;
}

std::unique_ptr<Timer> PollLoop::CreateTimer() {
    return core_->timers.CreateTimer();
}

bool PollLoop::runAndWait(std::function<void()> step, std::stop_token cancel) {
    if (IsLoopThread()) {
        step();
        return true;
    }
    return RunHandover([this](std::function<void()> run) { post(std::move(run)); }, std::move(step),
                       std::move(cancel));
}

void PollLoop::post(std::function<void()> step) {
    Core& c = *core_;
    // The loop's own thread is not waiting: it looks at the queue before it waits again.
    const bool other_thread = !IsLoopThread();
    bool wake = false;
    {
        std::lock_guard lock(c.mutex);
        c.incoming.push_back(std::move(step));
        if (other_thread) wake = !std::exchange(c.wake_armed, true);
    }
    if (wake) c.Wake();
}

std::unique_ptr<FdWatch> PollLoop::Watch(int fd, std::uint32_t events, FdHandler handler) {
    Core& c = *core_;
    auto entry =
        std::make_shared<WatchEntry>(WatchEntry{c.next_watch_id++, fd, std::move(handler)});
    epoll_event e{};
    e.events = events;
    e.data.u64 = entry->id;
    if (::epoll_ctl(c.epoll.Get(), EPOLL_CTL_ADD, fd, &e) != 0) ThrowErrno("epoll_ctl");
    c.watches.push_back(entry);
    return std::unique_ptr<FdWatch>(new FdWatch(core_, entry->id));
}

void PollLoop::SetErrorReport(ErrorReport report) {
    core_->report = std::move(report);
}

std::size_t PollLoop::QueuedSteps() const {
    std::lock_guard lock(core_->mutex);
    return core_->incoming.size();
}

FdWatch::FdWatch(std::shared_ptr<PollLoop::Core> core, std::uint64_t id)
    : core_(std::move(core)), id_(id) {}

FdWatch::~FdWatch() {
    auto& all = core_->watches;
    const auto it =
        std::find_if(all.begin(), all.end(), [this](const auto& w) { return w->id == id_; });
    if (it == all.end()) return;
    // Fails only when the descriptor was closed first, and then epoll may still report it:
    // that is the caller's fault, and the round skips events of unknown watches.
    ::epoll_ctl(core_->epoll.Get(), EPOLL_CTL_DEL, (*it)->fd, nullptr);
    all.erase(it);
}

}  // namespace platform
