#include "platform/qt/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <system_error>

namespace platform {

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

// The self-pipe lives as long as the process: a handler that already read the descriptor
// must never write into one closed and reused meanwhile.
std::atomic<int> signal_pipe_write{-1};
int signal_pipe_read = -1;
std::array<struct sigaction, kSignals.size()> previous_actions{};
bool instance_exists = false;

extern "C" void OnTerminationSignal(int signal) {
    const int saved_errno = errno;
    const int fd = signal_pipe_write.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        // A full pipe already holds a pending signal; losing this one changes nothing.
        [[maybe_unused]] const auto ignored = ::write(fd, &byte, 1);
    }
    errno = saved_errno;
}

void OpenPipeOnce() {
    if (signal_pipe_read >= 0) return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::system_category(), "termination signal pipe");
    signal_pipe_read = fds[0];
    signal_pipe_write.store(fds[1]);
}

// Drops what an earlier object left unread; returns the first signal read, or 0.
int DrainPipe() {
    int first = 0;
    unsigned char bytes[64];
    for (;;) {
        const ssize_t n = ::read(signal_pipe_read, bytes, sizeof bytes);
        if (n > 0) {
            if (first == 0) first = bytes[0];
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return first;
    }
}

}  // namespace

TerminationSignals::TerminationSignals(Handler handler) : handler_(std::move(handler)) {
    if (instance_exists) throw std::logic_error("TerminationSignals already exists");
    OpenPipeOnce();
    DrainPipe();
    notifier_ = std::make_unique<QSocketNotifier>(signal_pipe_read, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { OnSignalBytes(); });
#ifndef QT_NO_SESSIONMANAGER
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(app, &QGuiApplication::commitDataRequest, notifier_.get(), [this] {
            Deliver({TerminationCause::SessionEnd, 0});
        });
    }
#endif
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // other threads' system calls carry on undisturbed
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &previous_actions[i]) != 0) {
            const int error = errno;
            while (i-- > 0) ::sigaction(kSignals[i], &previous_actions[i], nullptr);
            throw std::system_error(error, std::system_category(), "sigaction");
        }
    }
    instance_exists = true;
}

TerminationSignals::~TerminationSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous_actions[i], nullptr);
    instance_exists = false;
}

void TerminationSignals::OnSignalBytes() {
    const int signal = DrainPipe();
    if (signal != 0) Deliver({TerminationCause::Signal, signal});
}

void TerminationSignals::Deliver(const TerminationRequest& request) {
    if (requested_) return;
    requested_ = true;
    if (handler_) handler_(request);
}

}  // namespace platform
