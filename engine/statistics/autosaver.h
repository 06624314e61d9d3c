#pragma once
// The autosave step: moves the buffered record lines into the daily files in the log folder,
// each line into the file of the date it is stamped with (see day_runs.h), so that a day's
// file holds that day's lines whenever they are saved.
//
// Nothing is lost and nothing is written twice: only the bytes a file took leave the buffer,
// so whatever a refused folder, a full disk or a short write kept back is written by a later
// step, after what did reach the file. A line lands whole in one file: a write cut short is
// cut back to the last line it wrote whole, and the rest stays in the buffer. Only when the
// file cannot be cut back does the line stay cut; it is finished in the file it began in.
//
// A failure is reported once: the first failed step after a good one (or the first step
// ever) carries a warning, the following failed steps none, until a step saves again. A line
// older than the one before it in its file (the clock was set back) is written all the same
// and reported once for that jump.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/local_time.h"
#include "engine/statistics/autosave_warning.h"
#include "engine/statistics/file_system.h"
#include "engine/statistics/line_order.h"

namespace statistics {

// Told of each write of the buffer to a file, so that a journal can tell after a crash
// which of the buffer's bytes a file took.
class AutosaveWrites {
  public:
    virtual ~AutosaveWrites() = default;
    // The buffer's first bytes are about to be appended to the daily file `name` of the log
    // folder, open as `file`.
    virtual void WillWrite(const std::string& name, OutputFile& file) = 0;
    // The file took the buffer's first `bytes` (they have left the buffer) and was flushed.
    virtual void Wrote(std::size_t bytes) = 0;
};

struct AutosaveResult {
    // Today's file was missing and this step created it: the display starts anew (except
    // when the window is closing and is about to ask whether to save what it shows).
    bool created_new_file = false;
    // The buffer is empty now.
    bool saved = false;
    // Show this to the user; set only on the first failure of a run of failures.
    std::optional<AutosaveWarning> warning;
    // Show this too: the clock was set back, and a line went into its file after a later one.
    std::optional<AutosaveWarning> clock_warning;
    // The file and the errno of this step's failure; empty and 0 when it did not fail.
    std::string failed_path;
    int error = 0;
    // The daily files that took lines, in the order they took them.
    std::vector<std::string> written_paths;
};

class Autosaver {
  public:
    Autosaver(FileSystem& files, std::string log_folder,
              std::function<LocalDateTime()> now = CurrentLocalDateTime);

    // One step over `save_buffer` (record lines, each preceded by CR LF).
    AutosaveResult Step(std::string& save_buffer);

    // Each write is told to `writes` (none: to nobody); it must outlive this.
    void SetWrites(AutosaveWrites* writes) { writes_ = writes; }
    // The buffer begins with the rest of a line that began in the daily file `name` (as a
    // journal found it after a crash): the next step finishes it there.
    void ResumeCutLine(std::string name) { cut_line_file_ = std::move(name); }

    // Today's daily log file.
    std::string TodayPath() const;
    const std::string& LogFolder() const { return log_folder_; }

  private:
    struct Failure {
        std::string path;
        int error = 0;
    };
    // Writes the rest of a cut line into the file it began in.
    std::optional<Failure> FinishCutLine(std::string& save_buffer);
    // Creates the daily file `name` when it is missing; `created` tells whether this did.
    std::optional<Failure> Create(const std::string& name, bool& created);
    // Appends the buffer's first `count` bytes, lines of one day, to the daily file `name`.
    std::optional<Failure> WriteRun(const std::string& name, std::string& save_buffer,
                                    std::size_t count, AutosaveResult& result);
    // Appends the buffer's first `count` bytes through an open file, dropping from the buffer
    // what it took (`whole_lines`: whole lines only, when the file can be cut back), and
    // closes the file. `jump` (when given) gets the warning of a clock set back.
    int AppendAndDrop(OutputFile& file, const std::string& name, std::string& save_buffer,
                      std::size_t count, bool whole_lines, std::optional<AutosaveWarning>* jump);

    FileSystem& files_;
    std::string log_folder_;
    std::function<LocalDateTime()> now_;
    LineOrder order_;
    bool failing_ = false;
    std::string cut_line_file_;  // where the buffer's first, cut line began; empty if none
    AutosaveWrites* writes_ = nullptr;
};

}  // namespace statistics
