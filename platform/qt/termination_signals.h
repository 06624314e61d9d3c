#pragma once
// Ends of the program that do not pass through the main window's close box: SIGTERM, SIGHUP,
// SIGINT, and the end of the desktop session. The first of them is reported once, on the GUI
// thread from the event loop, so that the window can save what it holds and exit without
// asking anything. Later ones are ignored: the program is already on its way out.
//
// One object at a time; it needs a running QCoreApplication (a QGuiApplication for the
// session end). Do not destroy it from inside the handler: quit the event loop instead.

#include <functional>
#include <memory>

class QSocketNotifier;

namespace platform {

enum class TerminationCause { Signal, SessionEnd };

struct TerminationRequest {
    TerminationCause cause = TerminationCause::Signal;
    int signal = 0;  // SIGTERM, SIGHUP or SIGINT for TerminationCause::Signal
};

class TerminationSignals {
  public:
    using Handler = std::function<void(const TerminationRequest&)>;

    // Installs the signal handlers; throws std::logic_error while another object exists and
    // std::system_error when the system refuses.
    explicit TerminationSignals(Handler handler);
    // Gives the signals back their earlier handlers.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // An end has been reported.
    bool Requested() const { return requested_; }

  private:
    void Deliver(const TerminationRequest& request);
    void OnSignalBytes();

    Handler handler_;
    bool requested_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform
