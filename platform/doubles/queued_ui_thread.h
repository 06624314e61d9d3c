#pragma once
// A UI thread for tests: the thread that creates it is the UI thread, and steps handed to it
// run only when that thread pumps them (RunPending, RunUntil), as a window system's loop would.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ui_thread.h"

class QueuedUiThread : public UiThread {
  public:
    QueuedUiThread() : ui_thread_(std::this_thread::get_id()) {}

    bool runAndWait(std::function<void()> step, std::stop_token cancel) override;
    void post(std::function<void()> step) override;

    // UI side: runs the steps queued so far; returns how many ran.
    std::size_t RunPending();
    // UI side: runs steps as they come until `done` holds or `timeout` passes; returns `done`.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    std::size_t QueuedCount();
    // Errors that escaped posted steps, in order.
    std::vector<std::exception_ptr> TakeReportedErrors();

  private:
    void RunOne(std::function<void()>& step);

    const std::thread::id ui_thread_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<std::function<void()>> queue_;
    std::vector<std::exception_ptr> reported_;
};
