#include "platform/doubles/queued_ui_thread.h"

#include <utility>

#include "platform/ui_handover.h"

bool QueuedUiThread::runAndWait(std::function<void()> step, std::stop_token cancel) {
    if (std::this_thread::get_id() == ui_thread_) {
        step();
        return true;
    }
    return RunHandover([this](std::function<void()> s) { post(std::move(s)); }, std::move(step),
                       std::move(cancel));
}

void QueuedUiThread::post(std::function<void()> step) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(step));
    queued_.notify_all();
}

void QueuedUiThread::RunOne(std::function<void()>& step) {
    try {
        step();
    } catch (...) {
        std::lock_guard lock(mutex_);
        reported_.push_back(std::current_exception());
    }
}

std::size_t QueuedUiThread::RunPending() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
    }
    for (auto& step : batch) RunOne(step);
    return batch.size();
}

bool QueuedUiThread::RunUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        RunPending();
        if (done()) return true;
        std::unique_lock lock(mutex_);
        if (std::chrono::steady_clock::now() >= deadline) return false;
        // Short slices: `done` may also turn true without a queued step.
        queued_.wait_for(lock, std::chrono::milliseconds(5), [this] { return !queue_.empty(); });
    }
}

std::size_t QueuedUiThread::QueuedCount() {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::vector<std::exception_ptr> QueuedUiThread::TakeReportedErrors() {
    std::lock_guard lock(mutex_);
    return std::exchange(reported_, {});
}
