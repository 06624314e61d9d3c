#pragma once
// SIGTERM, SIGHUP and SIGINT as a call on a poll loop's thread, through a signalfd. The first
// of them is reported once, so that the program can save what it holds and quit the loop;
// later ones are ignored: the program is already on its way out.
//
// A signalfd sees a signal only while every thread blocks it: the kernel hands a process
// signal to any thread that does not, and there its default action ends the process at once,
// without the save. A thread takes the signal mask of the thread that starts it, so call
// BlockTerminationSignals() first thing in main, before anything starts a thread (a library's
// worker, a serial event thread, a network client's thread); every later thread then blocks
// them too. The watch checks the threads that exist when it is made and refuses to work with
// one that does not block them. Programs it starts get an empty mask back (command_runner).

#include <functional>
#include <memory>

#include "platform/posix/poll_loop.h"
#include "platform/posix/unique_fd.h"

namespace platform {

// Blocks SIGTERM, SIGHUP and SIGINT in the calling thread. Throws std::system_error.
void BlockTerminationSignals();

class TerminationWatch {
  public:
    using Handler = std::function<void(int signal)>;

    // Blocks the signals in the calling thread (as BlockTerminationSignals) and watches them
    // on `loop`. Throws std::logic_error naming a thread of the process that does not block
    // them, std::system_error when the system refuses. The signals stay blocked after the
    // watch ends: unblocking one that is pending would end the process.
    TerminationWatch(PollLoop& loop, Handler handler);
    ~TerminationWatch();
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

    // A signal has been reported.
    bool Requested() const { return requested_; }

  private:
    void OnReadable();

    Handler handler_;
    bool requested_ = false;
    UniqueFd fd_;
    std::unique_ptr<FdWatch> watch_;  // after fd_: ends before the descriptor is closed
};

}  // namespace platform
