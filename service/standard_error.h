#pragma once
// The service's lines on standard error. Under systemd that stream is the journal's, which
// reads a leading "<N>" as the line's syslog priority (and strips it): so warnings show in
// `journalctl -p warning`. On a terminal or in a file the lines stay plain.

#include <string>

namespace service {

enum class Priority { kError = 3, kWarning = 4, kInfo = 6 };

// Standard error is the stream systemd named in JOURNAL_STREAM ("device:inode").
bool StandardErrorIsJournal();

// "<4>" for a warning when `journal`, else nothing.
std::string PriorityPrefix(Priority priority, bool journal);

// One line, flushed, with its priority when standard error is the journal (looked up once).
void WriteToStandardError(Priority priority, const std::string& line);

}  // namespace service
