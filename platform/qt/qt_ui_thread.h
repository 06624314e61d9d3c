#pragma once
// The Qt GUI thread as a UiThread: steps are queued calls on an object that lives on the
// thread that creates this one (the GUI thread), so they run from its event loop.

#include <QObject>

#include <exception>
#include <functional>

#include "platform/ui_thread.h"

class QtUiThread : public UiThread {
  public:
    using ErrorReport = std::function<void(std::exception_ptr)>;

    // Create on the GUI thread. The default error report writes the message as a warning.
    QtUiThread();

    bool runAndWait(std::function<void()> step, std::stop_token cancel) override;
    void post(std::function<void()> step) override;

    // Where exceptions escaping posted steps go (the application's error report).
    void SetErrorReport(ErrorReport report) { report_ = std::move(report); }

  private:
    QObject context_;  // lives on the GUI thread; queued steps die with it
    ErrorReport report_;
};
