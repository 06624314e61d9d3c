#include "engine/statistics/posix_file_system.h"

#include "platform/posix/link_target.h"
#include "platform/posix/unique_fd.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>

namespace statistics {

namespace {

class PosixOutputFile : public OutputFile {
  public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override { Close(); }

    std::size_t Write(std::string_view data, int& error) override {
        error = 0;
        for (;;) {
            const ssize_t n = ::write(fd_, data.data(), data.size());
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno == EINTR) continue;
            error = errno;
            return 0;
        }
    }

    int Sync() override {
        return Retried([&] { return ::fsync(fd_); });
    }
    int DataSync() override {
        return Retried([&] { return ::fdatasync(fd_); });
    }

    int Size(std::uint64_t& size) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return errno;
        size = static_cast<std::uint64_t>(st.st_size);
        return 0;
    }

    int Truncate(std::uint64_t size) override {
        return Retried([&] { return ::ftruncate(fd_, static_cast<off_t>(size)); });
    }

    int Lock() override {
        return Retried([&] { return ::flock(fd_, LOCK_EX | LOCK_NB); });
    }

    int Close() override {
        if (fd_ < 0) return 0;
        const int fd = fd_;
        fd_ = -1;
        // After close() fails the descriptor is gone all the same; never retry it.
        return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    }

  private:
    template <typename F>
    static int Retried(F call) {
        while (call() != 0)
            if (errno != EINTR) return errno;
        return 0;
    }

    int fd_;
};

int OpenRaw(const std::string& path, int flags, mode_t mode, platform::UniqueFd& fd) {
    int raw;
    do {
        raw = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY, mode);
    } while (raw < 0 && errno == EINTR);
    if (raw < 0) return errno;
    fd.Reset(raw);
    return 0;
}

class PosixInputFile : public InputFile {
  public:
    explicit PosixInputFile(platform::UniqueFd fd) : fd_(std::move(fd)) {}

    int Size(std::uint64_t& size) override {
        struct stat st {};
        if (::fstat(fd_.Get(), &st) != 0) return errno;
        size = static_cast<std::uint64_t>(st.st_size);
        return 0;
    }

    std::size_t ReadAt(std::uint64_t offset, char* data, std::size_t size, int& error) override {
        error = 0;
        for (;;) {
            const ssize_t n = ::pread(fd_.Get(), data, size, static_cast<off_t>(offset));
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno == EINTR) continue;
            error = errno;
            return 0;
        }
    }

  private:
    platform::UniqueFd fd_;
};

// 0 for a regular file, else EISDIR or kNotRegularFile.
int RegularFileError(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return 0;
    return S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
}

// Opened without blocking (a FIFO in the file's place would wait for a reader for good) and
// taken only when it is a regular file; then writes block as usual.
int OpenRegularForWriting(const std::string& path, int flags, std::unique_ptr<OutputFile>& file) {
    platform::UniqueFd fd;
    if (const int error = OpenRaw(path, flags | O_NONBLOCK | O_NOFOLLOW, 0666, fd); error != 0)
        return error == ENXIO ? kNotRegularFile : error;  // a FIFO without a reader
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return errno;
    if (const int error = RegularFileError(st); error != 0) return error;
    const int status = ::fcntl(fd.Get(), F_GETFL);
    if (status < 0 || ::fcntl(fd.Get(), F_SETFL, status & ~O_NONBLOCK) != 0) return errno;
    file = std::make_unique<PosixOutputFile>(fd.Release());
    return 0;
}

std::string FolderPrefix(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

int PosixFileSystem::MakeDirectories(const std::string& path) {
    if (path.empty()) return ENOENT;
    // Each prefix ending before a '/', then the whole path.
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        if (path[at - 1] == '/') continue;
        const std::string prefix = path.substr(0, at);
        if (::mkdir(prefix.c_str(), 0777) == 0) continue;
        const int error = errno;
        struct stat st {};
        if (error == EEXIST && ::stat(prefix.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) return ENOTDIR;
            continue;
        }
        return error;
    }
    return 0;
}

int PosixFileSystem::OpenForWriting(const std::string& path, OpenMode mode,
                                    std::unique_ptr<OutputFile>& file) {
    int flags = O_WRONLY | O_APPEND;
    if (mode == OpenMode::CreateNew) flags |= O_CREAT | O_EXCL;
    if (mode == OpenMode::CreateOrAppend) flags |= O_CREAT;
    return OpenRegularForWriting(path, flags, file);
}

int PosixFileSystem::ReplacementTarget(const std::string& path, std::string& target) {
    target = platform::FollowLinks(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (const int error = RegularFileError(st); error != 0) return error;
    // The rename would replace a file its owner made read-only: refuse, as an editor does.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    return 0;
}

int PosixFileSystem::CreateTemporaryBeside(const std::string& target, std::string& temporary_path,
                                           std::unique_ptr<OutputFile>& file) {
    struct stat st {};
    const bool replacing = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    const auto slash = target.find_last_of('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::random_device seed;
    std::mt19937 rng(seed());
    platform::UniqueFd fd;
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temporary_path = FolderPrefix(target) + "." + name + "." + std::to_string(::getpid()) +
                         "-" + std::to_string(rng() % 1000000) + ".tmp";
        error = OpenRaw(temporary_path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666, fd);
    }
    if (error != 0) return error;
    // The new file takes the place of the old one: keep who owns it and who may read it.
    if (replacing) {
        struct stat mine {};
        if (::fstat(fd.Get(), &mine) == 0 && (mine.st_uid != st.st_uid || mine.st_gid != st.st_gid))
            if (::fchown(fd.Get(), st.st_uid, st.st_gid) != 0)
                (void)::fchown(fd.Get(), static_cast<uid_t>(-1), st.st_gid);
        (void)::fchmod(fd.Get(), st.st_mode & 07777);
    }
    file = std::make_unique<PosixOutputFile>(fd.Release());
    return 0;
}

int PosixFileSystem::Rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::Link(const std::string& from, const std::string& to) {
    return ::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) == 0 ? 0 : errno;
}

int PosixFileSystem::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::SyncFolder(const std::string& path) {
    platform::UniqueFd fd;
    if (const int error = OpenRaw(path, O_RDONLY | O_DIRECTORY, 0, fd); error != 0) return error;
    if (::fsync(fd.Get()) == 0) return 0;
    // Some file systems cannot sync a folder; its entries are then as durable as they allow.
    return errno == EINVAL ? 0 : errno;
}

int PosixFileSystem::OpenForReading(const std::string& path, std::unique_ptr<InputFile>& file) {
    platform::UniqueFd fd;
    if (const int error = OpenRaw(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW, 0, fd); error != 0)
        return error == ENXIO ? kNotRegularFile : error;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return errno;
    if (const int error = RegularFileError(st); error != 0) return error;
    file = std::make_unique<PosixInputFile>(std::move(fd));
    return 0;
}

int PosixFileSystem::ReadAll(const std::string& path, std::size_t max_bytes, std::string& content) {
    content.clear();
    platform::UniqueFd fd;
    // Non-blocking: opening a FIFO for reading would otherwise wait for a writer.
    if (const int error = OpenRaw(path, O_RDONLY | O_NONBLOCK, 0, fd); error != 0)
        return error == ENXIO ? kNotRegularFile : error;  // a socket
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return errno;
    if (const int error = RegularFileError(st); error != 0) return error;
    if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > max_bytes) return EFBIG;
    // Read straight into the text; one byte more than the size tells a file that grew.
    content.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == content.size()) {
            if (content.size() > max_bytes) {
                content.clear();
                return EFBIG;
            }
            content.resize(std::min(content.size() * 2, max_bytes + 1));
        }
        const ssize_t n = ::read(fd.Get(), content.data() + done, content.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            content.clear();
            return error;
        }
    }
    content.resize(done);
    return 0;
}

FileSystem& RealFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

}  // namespace statistics
