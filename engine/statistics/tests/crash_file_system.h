#pragma once
// A file system in memory that knows, beside what the program sees, what a crash would leave
// of it: a file's bytes as of its last flush, a folder's names as of its last sync. It can
// stop the disk at its n-th change (that change and every later one fail with EIO and change
// nothing, as if the machine had died there), and then turn the disk into what a power cut
// leaves (only what was flushed), what a kill leaves (all that was written) or what a torn
// write leaves (part of the unflushed bytes, or zeros in their place).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/statistics/file_system.h"

namespace statistics {

class CrashFileSystem : public FileSystem {
  public:
    // What a crash leaves of one file.
    enum class Loss {
        Unflushed,  // the name as of the folder's last sync, the bytes as of the last flush
        Nothing,    // all that was written (a killed process: the kernel keeps it)
        Torn,       // the name as seen, the flushed bytes and half of the rest
        Zeros,      // the name as seen, its size as seen, zeros where bytes were not flushed
    };
    static const char* Name(Loss loss);

    CrashFileSystem() = default;
    // A copy of the disk as it is; it shares nothing with this one.
    CrashFileSystem(const CrashFileSystem& other);
    CrashFileSystem& operator=(const CrashFileSystem&) = delete;

    // Milliseconds of the program's clock, to tell when the disk stopped.
    void SetClock(std::function<std::uint64_t()> now) { now_ = std::move(now); }

    // The disk stops at its change number `change` (0: before the first one).
    void StopAtChange(std::size_t change) { stop_at_ = change; }
    bool Stopped() const { return stopped_; }
    std::uint64_t StoppedAt() const { return stopped_at_; }
    std::size_t Changes() const { return changes_.size(); }
    // What change n did ("write /log/received.journal 52 bytes").
    const std::string& Change(std::size_t n) const { return changes_.at(n); }

    // The disk as the crash leaves it; it runs again, with a fresh count of changes.
    void Crash(const std::function<Loss(const std::string& path)>& loss);

    // A file already on the disk, flushed.
    void Put(const std::string& path, const std::string& bytes);
    // The bytes of a file as the program sees it; empty when there is none.
    std::string Content(const std::string& path) const;
    bool Has(const std::string& path) const { return names_.count(path) != 0; }
    // The files in `folder`, in name order.
    std::vector<std::string> Files(const std::string& folder) const;

    // The file at `path` takes at most this many more bytes; then writes fail with ENOSPC.
    std::map<std::string, std::size_t> room;

    bool Exists(const std::string& path) override;
    int MakeDirectories(const std::string& path) override;
    int OpenForWriting(const std::string& path, OpenMode mode,
                       std::unique_ptr<OutputFile>& file) override;
    int ReplacementTarget(const std::string& path, std::string& target) override;
    int CreateTemporaryBeside(const std::string& target, std::string& temporary_path,
                              std::unique_ptr<OutputFile>& file) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Link(const std::string& from, const std::string& to) override;
    int Remove(const std::string& path) override;
    int SyncFolder(const std::string& path) override;
    int OpenForReading(const std::string& path, std::unique_ptr<InputFile>& file) override;
    int ReadAll(const std::string& path, std::size_t max_bytes, std::string& content) override;

    struct Inode {
        std::string seen;
        std::string flushed;
        const void* lock_holder = nullptr;
    };
    // False when the disk has stopped: the change is not made.
    bool Change(const std::string& what);

  private:
    std::function<std::uint64_t()> now_;
    std::map<std::string, std::shared_ptr<Inode>> names_;         // as the program sees them
    std::map<std::string, std::shared_ptr<Inode>> synced_names_;  // as of the folders' syncs
    std::set<std::string> folders_{"/"};
    std::vector<std::string> changes_;
    std::size_t stop_at_ = static_cast<std::size_t>(-1);
    bool stopped_ = false;
    std::uint64_t stopped_at_ = 0;
};

}  // namespace statistics
