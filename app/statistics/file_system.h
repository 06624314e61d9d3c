#pragma once
// The few file operations the statistics files need, behind an interface so that tests can
// make them fail the way a full disk or a refused folder does. Errors are errno values;
// 0 means success.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace statistics {

// A file open for writing; destroying it closes it (use Close to see the close's error).
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // One write: returns how many bytes were taken, possibly fewer than asked, and sets
    // `error` (leaving the count 0) when the system refused.
    virtual std::size_t Write(std::string_view data, int& error) = 0;
    // Flushes to the device.
    virtual int Sync() = 0;
    virtual int Close() = 0;
};

enum class OpenMode {
    CreateNew,  // fails with EEXIST when the file is there
    Append,     // the file must exist
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual bool Exists(const std::string& path) = 0;
    // Creates the folder and its missing parents; an existing folder is fine.
    virtual int MakeDirectories(const std::string& path) = 0;
    virtual int OpenForWriting(const std::string& path, OpenMode mode,
                               std::unique_ptr<OutputFile>& file) = 0;
    // Creates a new, uniquely named file in the folder of `target`, with the permissions
    // `target` has (or the usual ones when it does not exist yet), for a write that ends
    // in Rename over `target`.
    virtual int CreateTemporaryBeside(const std::string& target, std::string& temporary_path,
                                      std::unique_ptr<OutputFile>& file) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual int Remove(const std::string& path) = 0;
    // Makes the folder's entries (a created or renamed file) durable.
    virtual int SyncFolder(const std::string& path) = 0;
    virtual int ReadAll(const std::string& path, std::string& content) = 0;
};

// Writes all of `data`, continuing after short writes. Returns the bytes written and sets
// `error` when it stopped early.
std::size_t WriteAll(OutputFile& file, std::string_view data, int& error);

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace statistics
