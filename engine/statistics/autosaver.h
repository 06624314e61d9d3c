#pragma once
// The autosave step: moves the buffered record lines into today's file in the log folder.
//
// Nothing is lost and nothing is written twice: only the bytes the file took leave the
// buffer, so whatever a refused folder, a full disk or a short write kept back is written
// by a later step, after what did reach the file. A line lands whole in one file: a write
// cut short is cut back to the last line it wrote whole, and the rest stays in the buffer.
// Only when the file cannot be cut back does the line stay cut; it is finished in the file
// it began in, even when the day has changed meanwhile.
//
// A failure is reported once: the first failed step after a good one (or the first step
// ever) carries a warning, the following failed steps none, until a step saves again.

#include <functional>
#include <optional>
#include <string>

#include "common/local_time.h"
#include "engine/statistics/file_system.h"

namespace statistics {

// Told of each write of the buffer to a file, so that a journal can tell after a crash
// which of the buffer's bytes a file took.
class AutosaveWrites {
  public:
    virtual ~AutosaveWrites() = default;
    // The buffer's first bytes are about to be appended to `file`, open at `path`.
    virtual void WillWrite(const std::string& path, OutputFile& file) = 0;
    // The file took the buffer's first `bytes` (they have left the buffer) and was flushed.
    virtual void Wrote(std::size_t bytes) = 0;
};

struct AutosaveWarning {
    std::string title;
    std::string text;
};

struct AutosaveResult {
    // Today's file was missing and this step created it: the display starts anew (except
    // when the window is closing and is about to ask whether to save what it shows).
    bool created_new_file = false;
    // The buffer is empty now.
    bool saved = false;
    // Show this to the user; set only on the first failure of a run of failures.
    std::optional<AutosaveWarning> warning;
    // The file and the errno of this step's failure; empty and 0 when it did not fail.
    std::string failed_path;
    int error = 0;
};

class Autosaver {
  public:
    Autosaver(FileSystem& files, std::string log_folder,
              std::function<LocalDateTime()> now = CurrentLocalDateTime);

    // One step over `save_buffer` (record lines, each preceded by CR LF).
    AutosaveResult Step(std::string& save_buffer);

    // Each write is told to `writes` (none: to nobody); it must outlive this.
    void SetWrites(AutosaveWrites* writes) { writes_ = writes; }
    // The buffer begins with the rest of a line that began in `path` (as a journal found
    // it after a crash): the next step finishes it there.
    void ResumeCutLine(std::string path) { cut_line_file_ = std::move(path); }

    // Today's daily log file.
    std::string TodayPath() const;
    const std::string& LogFolder() const { return log_folder_; }

  private:
    struct Failure {
        std::string path;
        int error = 0;
    };
    // Writes the rest of a cut line into the file it began in, when that is not `today`.
    void FinishCutLine(std::string& save_buffer, const std::string& today);
    // Creates the file when missing and appends the buffer; returns the failure, if any.
    std::optional<Failure> SaveTo(const std::string& path, std::string& save_buffer, bool& created);
    // Appends the buffer's first `count` bytes through an open file, dropping from the buffer
    // what it took (`whole_lines`: whole lines only, when the file can be cut back), and
    // closes the file.
    int AppendAndDrop(OutputFile& file, const std::string& path, std::string& save_buffer,
                      std::size_t count, bool whole_lines);

    FileSystem& files_;
    std::string log_folder_;
    std::function<LocalDateTime()> now_;
    bool failing_ = false;
    std::string cut_line_file_;  // where the buffer's first, cut line began; empty if none
    AutosaveWrites* writes_ = nullptr;
};

}  // namespace statistics
