#pragma once
// What both programs write outside their files: the echoed record lines on standard output
// and their own "program: line" lines on standard error. Under systemd standard error is the
// journal's, which reads a leading "<N>" as the line's syslog priority (and strips it): so
// warnings show in `journalctl -p warning`. On a terminal or in a file the lines stay plain.

#include <string>
#include <string_view>

namespace config {

enum class Priority { kError = 3, kWarning = 4, kInfo = 6 };

// A reader that goes away (`| head`, a restarted journal) must not end the program unsaved:
// a write to it fails with EPIPE instead. Programs started later get the default back.
void IgnoreBrokenPipe();

// One record line to standard output, flushed (--echo).
void EchoLine(const std::string& line);

// Standard error is the stream systemd named in JOURNAL_STREAM ("device:inode").
bool StandardErrorIsJournal();

// "<4>" for a warning when `journal`, else nothing.
std::string PriorityPrefix(Priority priority, bool journal);

// One line, flushed, with its priority when standard error is the journal (looked up once).
void WriteToStandardError(Priority priority, const std::string& line);

// "program: line" on standard error; an error unless told otherwise.
void SayOnStandardError(std::string_view program, std::string_view line,
                        Priority priority = Priority::kError);

}  // namespace config
