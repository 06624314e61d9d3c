#pragma once
// The real file system with failures injected on demand: a refused folder, a refused open,
// a short write, a disk that fills after so many bytes, a refused rename. It also counts the
// opens, so a test can tell that a step did not touch the disk.

#include <cstddef>
#include <functional>
#include <string>

#include "engine/statistics/posix_file_system.h"

namespace statistics {

class FaultyFileSystem : public FileSystem {
  public:
    // Errors to return; 0 lets the call through.
    int refuse_mkdir = 0;
    int refuse_open = 0;
    int refuse_rename = 0;
    int refuse_sync = 0;
    int refuse_truncate = 0;
    // The next write takes at most this many bytes, without an error (once).
    std::size_t short_write = 0;
    // After this many more bytes every write fails with `full_error`.
    std::size_t bytes_until_full = static_cast<std::size_t>(-1);
    int full_error = 0;

    // The paths the faults above apply to; none: every path.
    std::function<bool(const std::string& path)> affects;

    int opens = 0;

    void DiskFullAfter(std::size_t bytes, int error) {
        bytes_until_full = bytes;
        full_error = error;
    }
    void Heal() { *this = FaultyFileSystem(); }

    bool Exists(const std::string& path) override { return real_.Exists(path); }
    int MakeDirectories(const std::string& path) override;
    int OpenForWriting(const std::string& path, OpenMode mode,
                       std::unique_ptr<OutputFile>& file) override;
    int CreateTemporaryBeside(const std::string& target, std::string& temporary_path,
                              std::unique_ptr<OutputFile>& file) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Link(const std::string& from, const std::string& to) override {
        return real_.Link(from, to);
    }
    int Remove(const std::string& path) override { return real_.Remove(path); }
    int SyncFolder(const std::string& path) override { return real_.SyncFolder(path); }
    int OpenForReading(const std::string& path, std::unique_ptr<InputFile>& file) override {
        return real_.OpenForReading(path, file);
    }
    int ReadAll(const std::string& path, std::size_t max_bytes, std::string& content) override {
        return real_.ReadAll(path, max_bytes, content);
    }
    int ReplacementTarget(const std::string& path, std::string& target) override {
        return real_.ReplacementTarget(path, target);
    }

    // Called by the files it hands out.
    std::size_t Allow(std::size_t wanted, int& error);

  private:
    bool Affects(const std::string& path) const { return !affects || affects(path); }
    int Wrap(int error, const std::string& path, std::unique_ptr<OutputFile>& file);
    PosixFileSystem real_;
};

}  // namespace statistics
