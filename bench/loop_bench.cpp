// The poll loop's costs: a posted step, a step handed over from another thread and waited
// for, a timer tick (CPU time of the whole process per tick) and a descriptor event.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "platform/posix/poll_loop.h"

// Every allocation of the process is counted, to show what a tick or a step allocates.
std::atomic<std::int64_t> allocations{0};

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// GCC takes the free() below for a mismatch with the new above, which it is not.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using platform::PollLoop;

// Steps posted on the loop's own thread and run: the steady cost of one step.
void BM_PostAndRunOnLoopThread(benchmark::State& state) {
    PollLoop loop;
    const auto batch = state.range(0);
    std::int64_t ran = 0;
    const auto allocated_before = allocations.load();
    for (auto _ : state) {
        for (std::int64_t i = 0; i < batch; ++i) loop.post([&ran] { ++ran; });
        loop.post([&loop] { loop.Quit(); });
        loop.Run();
    }
    state.SetItemsProcessed(ran);
    state.counters["allocs_per_step"] =
        static_cast<double>(allocations.load() - allocated_before) / static_cast<double>(ran);
}
BENCHMARK(BM_PostAndRunOnLoopThread)->Arg(1)->Arg(100);

// The loop on a thread of its own, asleep between steps.
class LoopThread {
  public:
    LoopThread() {
        std::atomic<bool> ready{false};
        thread_ = std::jthread([this, &ready] {
            PollLoop loop;
            loop_ = &loop;
            ready = true;
            ready.notify_one();
            loop.Run();
            loop_ = nullptr;
        });
        ready.wait(false);
    }
    ~LoopThread() {
        loop_.load()->Quit();
        thread_.join();
    }
    PollLoop& Loop() { return *loop_; }

  private:
    std::atomic<PollLoop*> loop_{nullptr};
    std::jthread thread_;
};

// From a post on another thread until the step has run there: wake-up latency included.
void BM_PostToRunLatency(benchmark::State& state) {
    LoopThread loop_thread;
    std::atomic<std::int64_t> done{0};
    std::int64_t sent = 0;
    for (auto _ : state) {
        ++sent;
        loop_thread.Loop().post([&done] {
            done.fetch_add(1);
            done.notify_one();
        });
        for (auto seen = done.load(); seen != sent; seen = done.load()) done.wait(seen);
    }
}
BENCHMARK(BM_PostToRunLatency)->UseRealTime();

// runAndWait from another thread: what the serial event thread pays per batch of events.
void BM_RunAndWaitRoundTrip(benchmark::State& state) {
    LoopThread loop_thread;
    int ran = 0;
    for (auto _ : state) loop_thread.Loop().runAndWait([&ran] { ++ran; }, {});
    benchmark::DoNotOptimize(ran);
}
BENCHMARK(BM_RunAndWaitRoundTrip)->UseRealTime();

// Process CPU time per tick with `n` timers of 1 ms running; the loop sleeps in between.
void BM_TimerTickCpu(benchmark::State& state) {
    PollLoop loop;
    constexpr std::int64_t kTicksPerRun = 2000;
    std::int64_t ticks = 0, target = 0;
    std::vector<std::unique_ptr<platform::Timer>> timers;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        auto t = loop.CreateTimer();
        t->SetInterval(1);
        t->SetTickHandler([&] {
            if (++ticks == target) loop.Quit();
        });
        t->Start();
        timers.push_back(std::move(t));
    }
    const auto allocated_before = allocations.load();
    for (auto _ : state) {
        target = ticks + kTicksPerRun;
        loop.Run();
    }
    state.SetItemsProcessed(ticks);
    state.counters["allocs_per_tick"] =
        static_cast<double>(allocations.load() - allocated_before) / static_cast<double>(ticks);
}
BENCHMARK(BM_TimerTickCpu)->Arg(1)->Arg(10)->Arg(100)->MeasureProcessCPUTime();

// The floor under the single timer: the same sleep and wake-up with no loop around it.
void BM_BareSleepWakeCpu(benchmark::State& state) {
    const int epoll_fd = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event ready[1];
    const timespec one_ms{0, 1'000'000};
    std::int64_t wakes = 0;
    for (auto _ : state) {
        for (int i = 0; i < 2000; ++i, ++wakes)
            benchmark::DoNotOptimize(::epoll_pwait2(epoll_fd, ready, 1, &one_ms, nullptr));
    }
    ::close(epoll_fd);
    state.SetItemsProcessed(wakes);
}
BENCHMARK(BM_BareSleepWakeCpu)->MeasureProcessCPUTime();

// A byte through a pipe and back to the loop as a readable descriptor, on one thread.
void BM_DescriptorEvent(benchmark::State& state) {
    PollLoop loop;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        state.SkipWithError("pipe2");
        return;
    }
    std::int64_t events = 0, target = 0;
    const char byte = 'x';
    {
        auto watch = loop.Watch(fds[0], EPOLLIN, [&](std::uint32_t) {
            char b;
            benchmark::DoNotOptimize(::read(fds[0], &b, 1));
            if (++events == target)
                loop.Quit();
            else
                benchmark::DoNotOptimize(::write(fds[1], &byte, 1));
        });
        for (auto _ : state) {
            target = events + 1000;
            benchmark::DoNotOptimize(::write(fds[1], &byte, 1));
            loop.Run();
        }
    }
    ::close(fds[0]);
    ::close(fds[1]);
    state.SetItemsProcessed(events);
}
BENCHMARK(BM_DescriptorEvent);

}  // namespace

BENCHMARK_MAIN();
