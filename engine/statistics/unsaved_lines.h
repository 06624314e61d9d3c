#pragma once
// Lines that the last autosave of a run could not write (a read-only folder, a full disk, a
// link in the daily file's place) go to a file of their own, so that nothing received is lost
// when the program ends: one file per ending in <data home>/incubator-monitor/unsaved/, named
// by its date and time ("2026-12-06_23-59-58.txt").

#include <string>
#include <string_view>

#include "common/local_time.h"
#include "engine/statistics/autosaver.h"
#include "engine/statistics/file_system.h"

namespace statistics {

struct KeptLines {
    std::string path;  // the file written, or the one that could not be written
    int error = 0;     // 0 when the lines are in `path`
};

// Writes `save_buffer` as it stands (each line preceded by CR LF, as in a daily file) to a new
// file in `folder`, which is made when missing. A name already taken gets "-2", "-3", ... A
// file that cannot be written whole is removed again.
KeptLines KeepUnsavedLines(FileSystem& files, const std::string& folder, const LocalDateTime& now,
                           std::string_view save_buffer);

// What to tell the user after the failed autosave `failure`: where the lines are, or that
// they are on standard error when `kept` failed too.
std::string UnsavedLinesNotice(const AutosaveResult& failure, const KeptLines& kept);

}  // namespace statistics
