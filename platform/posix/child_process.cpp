#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

extern char** environ;

namespace platform {

namespace {

// Owns the spawn attributes and file actions for one start.
class SpawnSetup {
  public:
    SpawnSetup() {
        init_error_ = ::posix_spawnattr_init(&attr_);
        if (init_error_ == 0) init_error_ = ::posix_spawn_file_actions_init(&actions_);
        if (init_error_ != 0) return;
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP;
        Check(::posix_spawnattr_setflags(&attr_, flags));
        Check(::posix_spawnattr_setsigmask(&attr_, &none));
        Check(::posix_spawnattr_setsigdefault(&attr_, &all));
        Check(::posix_spawnattr_setpgroup(&attr_, 0));
        Check(
            ::posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0));
        Check(::posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1));
    }
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attr_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    int Error() const { return init_error_; }
    const posix_spawnattr_t* Attr() const { return &attr_; }
    const posix_spawn_file_actions_t* Actions() const { return &actions_; }

  private:
    void Check(int error) {
        if (init_error_ == 0) init_error_ = error;
    }

    posix_spawnattr_t attr_{};
    posix_spawn_file_actions_t actions_{};
    int init_error_ = 0;
};

std::vector<std::string> MergedEnvironment(
    const std::vector<std::pair<std::string, std::string>>& env) {
    std::vector<std::string> merged;
    for (char** e = environ; e && *e; ++e) {
        const std::string_view entry(*e);
        bool replaced = false;
        for (const auto& [name, value] : env)
            if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
                entry[name.size()] == '=')
                replaced = true;
        if (!replaced) merged.emplace_back(entry);
    }
    for (const auto& [name, value] : env) merged.push_back(name + "=" + value);
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (auto& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

int StartChild(const std::vector<std::string>& argv,
               const std::vector<std::pair<std::string, std::string>>& env, StartedChild& child) {
    if (argv.empty() || argv[0].empty()) return ENOENT;
    SpawnSetup setup;
    if (setup.Error() != 0) return setup.Error();
    std::vector<std::string> args = argv;
    std::vector<std::string> environment = MergedEnvironment(env);
    const std::vector<char*> arg_pointers = Pointers(args);
    const std::vector<char*> env_pointers = Pointers(environment);

    pid_t pid = -1;
    // glibc reports a failed exec (missing file, no permission, not an executable) here,
    // not as an exit of the child. A file without "#!" is refused, not run by a shell.
    const bool search = argv[0].find('/') == std::string::npos;
    const int error = search ? ::posix_spawnp(&pid, args[0].c_str(), setup.Actions(), setup.Attr(),
                                              arg_pointers.data(), env_pointers.data())
                             : ::posix_spawn(&pid, args[0].c_str(), setup.Actions(), setup.Attr(),
                                             arg_pointers.data(), env_pointers.data());
    if (error != 0) return error;

    child.pid = pid;
    // Safe from pid reuse: the child stays ours until we reap it. Close-on-exec by itself.
    child.pidfd.Reset(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!child.pidfd.Valid()) {
        const int pidfd_error = errno;
        // Unwatched, it would end as a zombie: stop it now.
        KillAndReap(child);
        return pidfd_error;
    }
    return 0;
}

void KillAndReap(StartedChild& child) {
    if (child.pid <= 0) return;
    // The group's id is the child's pid, which cannot be reused before the reaping below.
    if (::kill(-child.pid, SIGKILL) != 0) ::kill(child.pid, SIGKILL);
    while (::waitpid(child.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    child.pid = -1;
    child.pidfd.Reset();
}

}  // namespace platform
