#pragma once
// The user-interface thread, as other threads reach it.

#include <exception>
#include <functional>
#include <stop_token>

class UiThread {
  public:
    virtual ~UiThread() = default;

    // Runs `step` on the UI thread and blocks until it has run; an exception thrown by the step
    // is rethrown here. Returns false as soon as `cancel` is requested before the step has
    // finished: a step that has not started then never runs, one that is running finishes on
    // its own. Called on the UI thread itself, the step runs at once.
    virtual bool runAndWait(std::function<void()> step, std::stop_token cancel) = 0;

    // Queues `step` on the UI thread and returns at once. An exception escaping it goes to the
    // application's error report.
    virtual void post(std::function<void()> step) = 0;
};
