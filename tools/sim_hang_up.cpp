#include "tools/sim_hang_up.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t hang_up_requested = 0;

void OnHangUpSignal(int) {
    hang_up_requested = 1;
}

}  // namespace

void InstallHangUpSignal() {
    struct sigaction action {};
    action.sa_handler = OnHangUpSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGUSR1, &action, nullptr);
}

bool TakeHangUpRequest() {
    if (!hang_up_requested) return false;
    hang_up_requested = 0;
    return true;
}

int PointLink(const std::string& link, const std::string& target) {
    const std::string fresh = link + ".new";
    ::unlink(fresh.c_str());
    if (::symlink(target.c_str(), fresh.c_str()) != 0) return errno;
    if (::rename(fresh.c_str(), link.c_str()) != 0) {
        const int e = errno;
        ::unlink(fresh.c_str());
        return e;
    }
    return 0;
}

int HangUpAndReplace(SimLine& line, const std::string& link, int number) {
    std::string path;
    if (int e = line.ReplacePseudoTerminal(path)) return e;
    if (int e = PointLink(link, path)) return e;
    std::fprintf(stderr, "incubator-sim: hang-up %d, new pseudo-terminal %s\n", number,
                 path.c_str());
    const auto gone = std::chrono::steady_clock::now();
    line.WaitForReader();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - gone;
    std::fprintf(stderr, "incubator-sim: reader back after %.2f s\n", took.count());
    return 0;
}
