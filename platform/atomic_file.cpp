#include "platform/atomic_file.h"

#include "platform/posix/link_target.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <random>

namespace platform {

namespace {

constexpr std::string_view kTempSuffix = ".tmp";

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    // Closes now and reports the error; EINTR still closed the descriptor on Linux.
    int Close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return (rc != 0 && errno != EINTR) ? errno : 0;
    }

  private:
    int fd_;
};

struct Location {
    std::string folder;
    std::string name;
};

Location Split(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string TempPrefix(const std::string& name) {
    return "." + name + ".";
}

// Temporary files of writers that died before their rename; files of live processes (and
// our own) stay, so two programs writing the same file never remove each other's.
void RemoveStrayTemps(const Location& at) {
    DIR* dir = ::opendir(at.folder.c_str());
    if (!dir) return;
    const std::string prefix = TempPrefix(at.name);
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || !name.ends_with(kTempSuffix)) continue;
        const std::string_view middle =
            name.substr(prefix.size(), name.size() - prefix.size() - kTempSuffix.size());
        pid_t pid = 0;
        const auto [end, ec] = std::from_chars(middle.data(), middle.data() + middle.size(), pid);
        if (ec != std::errc() || end == middle.data() || *end != '.' || pid <= 0 || pid == self)
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH) ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

std::string RandomTag() {
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 engine{std::random_device{}() ^
                                        (static_cast<std::uint64_t>(::getpid()) << 32)};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string tag(8, ' ');
    for (char& c : tag) c = kChars[pick(engine)];
    return tag;
}

// Opens a new temporary file; its mode is 0666 less the umask, as any new file's would be.
int CreateTemp(const Location& at, std::string& temp_path) {
    const std::string stem = (at.folder == "/" ? "" : at.folder) + "/" + TempPrefix(at.name) +
                             std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_path = stem + RandomTag() + std::string(kTempSuffix);
        const int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

int SyncFd(int fd) {
    while (::fsync(fd) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

// The new file takes the old one's permissions and, where the system allows it, its owner.
void CopyModeAndOwner(int fd, const std::string& old_path) {
    struct stat st {};
    if (::stat(old_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    (void)::fchmod(fd, st.st_mode & 07777);
    struct stat mine {};
    if (::fstat(fd, &mine) == 0 && (mine.st_uid != st.st_uid || mine.st_gid != st.st_gid))
        (void)::fchown(fd, st.st_uid, st.st_gid);
}

int WriteTemp(int raw_fd, const std::string& target, std::string_view bytes) {
    Fd fd(raw_fd);
    CopyModeAndOwner(fd.Get(), target);
    if (const int err = WriteAll(fd.Get(), bytes)) return err;
    if (const int err = SyncFd(fd.Get())) return err;
    return fd.Close();
}

int SyncFolder(const std::string& folder) {
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0) return errno;
    const int err = SyncFd(fd.Get());
    // Some file systems cannot sync a folder; the rename is then as durable as they allow.
    return err == EINVAL ? 0 : err;
}

}  // namespace

FileBytes ReadWholeFile(const std::string& path, std::size_t max_bytes) {
    FileBytes result;
    // Non-blocking, so that a FIFO in the file's place cannot hang the reader.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        result.error = errno;
        return result;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        result.error = errno;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return result;
    }
    if (static_cast<std::uint64_t>(st.st_size) > max_bytes) {
        result.error = EFBIG;
        return result;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            result.error = errno;
            result.bytes.clear();
            return result;
        }
        if (n == 0) break;
        // A file that grows while it is read is held to the same limit.
        if (result.bytes.size() + static_cast<std::size_t>(n) > max_bytes) {
            result.error = EFBIG;
            result.bytes.clear();
            return result;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return result;
}

int ReplaceFileContent(const std::string& path, std::string_view bytes) {
    const std::string target = FollowLinks(path);
    const Location at = Split(target);
    if (at.name.empty()) return EISDIR;
    RemoveStrayTemps(at);

    std::string temp_path;
    const int fd = CreateTemp(at, temp_path);
    if (fd < 0) return errno;
    int err = WriteTemp(fd, target, bytes);
    if (err == 0 && ::rename(temp_path.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp_path.c_str());
        return err;
    }
    return SyncFolder(at.folder);
}

}  // namespace platform
