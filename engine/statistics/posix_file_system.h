#pragma once
// The statistics file operations on the real file system.

#include "engine/statistics/file_system.h"

namespace statistics {

class PosixFileSystem : public FileSystem {
  public:
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
};

// The one the program uses; it holds no state.
FileSystem& RealFileSystem();

}  // namespace statistics
