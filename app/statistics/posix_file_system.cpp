#include "app/statistics/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

    int Sync() override { return ::fsync(fd_) == 0 ? 0 : errno; }

    int Close() override {
        if (fd_ < 0) return 0;
        const int fd = fd_;
        fd_ = -1;
        // After close() fails the descriptor is gone all the same; never retry it.
        return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    }

  private:
    int fd_;
};

int OpenFile(const std::string& path, int flags, mode_t mode, std::unique_ptr<OutputFile>& file) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    file = std::make_unique<PosixOutputFile>(fd);
    return 0;
}

}  // namespace

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
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
    const int flags =
        mode == OpenMode::CreateNew ? O_WRONLY | O_APPEND | O_CREAT | O_EXCL : O_WRONLY | O_APPEND;
    return OpenFile(path, flags, 0666, file);
}

int PosixFileSystem::CreateTemporaryBeside(const std::string& target, std::string& temporary_path,
                                           std::unique_ptr<OutputFile>& file) {
    struct stat st {};
    const bool replacing = ::stat(target.c_str(), &st) == 0;
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::random_device seed;
    std::mt19937 rng(seed());
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temporary_path = folder + "." + name + "." + std::to_string(::getpid()) + "-" +
                         std::to_string(rng() % 1000000) + ".tmp";
        error = OpenFile(temporary_path, O_WRONLY | O_CREAT | O_EXCL, 0666, file);
    }
    if (error != 0) return error;
    // The new file takes the place of the old one: keep who may read it.
    if (replacing) ::chmod(temporary_path.c_str(), st.st_mode & 07777);
    return 0;
}

int PosixFileSystem::Rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::SyncFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

int PosixFileSystem::ReadAll(const std::string& path, std::string& content) {
    content.clear();
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    if (st.st_size > 0) content.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            content.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            content.clear();
            return error;
        }
    }
    ::close(fd);
    return 0;
}

FileSystem& RealFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

}  // namespace statistics
