#include "platform/posix/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace platform {

namespace {

constexpr std::size_t kMaxHolderBytes = 4096;

std::string ReadAll(int fd) {
    std::string text(kMaxHolderBytes, '\0');
    ssize_t n;
    do {
        n = ::pread(fd, text.data(), text.size(), 0);
    } while (n < 0 && errno == EINTR);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

// The holder empties the file before it writes: a reader in between waits a moment for it.
std::string ReadHolder(int fd) {
    std::string text = ReadAll(fd);
    for (int attempt = 0; text.empty() && attempt < 10; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        text = ReadAll(fd);
    }
    return text;
}

void WriteHolder(int fd, std::string_view holder) {
    // The lock holds whether or not the text gets there: a failure only costs the text.
    if (::ftruncate(fd, 0) != 0) return;
    off_t at = 0;
    while (!holder.empty()) {
        const ssize_t n = ::pwrite(fd, holder.data(), holder.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        holder.remove_prefix(static_cast<std::size_t>(n));
        at += n;
    }
}

}  // namespace

FolderLockAttempt TryLockFile(const std::string& path, std::string_view holder) {
    FolderLockAttempt attempt;
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666));
    if (!fd.Valid()) {
        attempt.error = errno;
        return attempt;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        attempt.error = errno;
        return attempt;
    }
    if (!S_ISREG(st.st_mode)) {
        attempt.error = EINVAL;
        return attempt;
    }
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        attempt.error = errno;
        if (attempt.error == EWOULDBLOCK) attempt.holder = ReadHolder(fd.Get());
        return attempt;
    }
    WriteHolder(fd.Get(), holder);
    attempt.lock = FolderLock(std::move(fd));
    return attempt;
}

}  // namespace platform
