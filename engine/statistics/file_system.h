#pragma once
// The few file operations the statistics files need, behind an interface so that tests can
// make them fail the way a full disk or a refused folder does. Errors are errno values;
// 0 means success.
//
// No operation follows a symbolic link at the last component of a path unless it says so:
// a link planted in the log folder must not send the statistics elsewhere.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace statistics {

// The error of a path that names something other than a regular file or a folder: a FIFO, a
// device, a socket (a folder gives EISDIR).
inline constexpr int kNotRegularFile = -1;

// A file open for writing; destroying it closes it (use Close to see the close's error).
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // One write: returns how many bytes were taken, possibly fewer than asked, and sets
    // `error` (leaving the count 0) when the system refused.
    virtual std::size_t Write(std::string_view data, int& error) = 0;
    // Flushes to the device.
    virtual int Sync() = 0;
    // Flushes the data and what reading it back needs (the size), not the times.
    virtual int DataSync() = 0;
    virtual int Size(std::uint64_t& size) = 0;
    // Cuts the file back to `size` bytes.
    virtual int Truncate(std::uint64_t size) = 0;
    // Takes an exclusive lock of the file without waiting: EWOULDBLOCK while another open
    // of it, in this process or another, holds one. Closing the file lets it go.
    virtual int Lock() = 0;
    virtual int Close() = 0;
};

// A regular file open for reading.
class InputFile {
  public:
    virtual ~InputFile() = default;
    virtual int Size(std::uint64_t& size) = 0;
    // Reads up to `size` bytes at `offset`: returns how many (0 at the end), and sets `error`
    // (leaving the count 0) when the system refused.
    virtual std::size_t ReadAt(std::uint64_t offset, char* data, std::size_t size, int& error) = 0;
};

enum class OpenMode {
    CreateNew,       // fails with EEXIST when the name is taken (also by a link)
    Append,          // the file must exist and be a regular file, not a link (ELOOP)
    CreateOrAppend,  // Append, creating the file when the name is free
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Whether the name is taken (a link counts, even a dangling one).
    virtual bool Exists(const std::string& path) = 0;
    // Creates the folder and its missing parents; an existing folder is fine.
    virtual int MakeDirectories(const std::string& path) = 0;
    virtual int OpenForWriting(const std::string& path, OpenMode mode,
                               std::unique_ptr<OutputFile>& file) = 0;
    // The file that a replacement of `path` replaces: `path`, or where its symbolic links
    // lead (a file that need not exist yet). Fails with EISDIR or kNotRegularFile when that
    // is not a regular file, and with EACCES or EROFS when this process may not write it.
    virtual int ReplacementTarget(const std::string& path, std::string& target) = 0;
    // Creates a new, uniquely named file in the folder of `target`, with the permissions and,
    // where the system allows, the owner `target` has (or the usual ones when it does not
    // exist yet), for a write that ends in Rename over `target`.
    virtual int CreateTemporaryBeside(const std::string& target, std::string& temporary_path,
                                      std::unique_ptr<OutputFile>& file) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    // A second name `to` for the file `from` (never through a link); EEXIST when it is taken.
    virtual int Link(const std::string& from, const std::string& to) = 0;
    virtual int Remove(const std::string& path) = 0;
    // Makes the folder's entries (a created or renamed file) durable. On a file system that
    // cannot sync a folder this succeeds: the entries are as durable as it allows.
    virtual int SyncFolder(const std::string& path) = 0;
    // Opens a regular file for reading, never through a link at the last component (ELOOP)
    // and without blocking on what it names: EISDIR or kNotRegularFile for anything else.
    virtual int OpenForReading(const std::string& path, std::unique_ptr<InputFile>& file) = 0;
    // Reads a regular file whole without ever blocking on what it names (a FIFO, a device):
    // EISDIR or kNotRegularFile for anything else, EFBIG when it holds more than
    // `max_bytes`. No descriptor outlives the call, whatever fails.
    virtual int ReadAll(const std::string& path, std::size_t max_bytes, std::string& content) = 0;
};

// Writes all of `data`, continuing after short writes. Returns the bytes written and sets
// `error` when it stopped early.
std::size_t WriteAll(OutputFile& file, std::string_view data, int& error);
// Writes all of `data`, flushes it to the device and closes the file. Returns the first error
// of the three, or 0.
int WriteSyncAndClose(OutputFile& file, std::string_view data);

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace statistics
