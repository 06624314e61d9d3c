#pragma once
// The start of a run after one that ended without saving (a crash, a kill, a power cut): the
// lines its journal holds beyond the daily files are written as an autosave at this moment
// writes them, each to the daily file of its date (a line that a failed write cut is finished
// in the file it began in), and the user is told how many there were.

#include <cstddef>
#include <string>

#include "engine/statistics/autosaver.h"
#include "engine/statistics/line_journal.h"

namespace statistics {

struct JournalRecovery {
    std::size_t lines = 0;    // recovered; 0 when there was nothing to recover
    AutosaveResult autosave;  // the steps that wrote them, as one
    std::string notice;       // for the user, when lines were recovered
};

// Before the first line of the run. The lines go through the autosave in pieces, so that
// memory stays bounded however many there are; those that cannot be written stay in
// `save_buffer` (and in the journal), before whatever it held already.
JournalRecovery RecoverJournal(LineJournal& journal, Autosaver& autosaver,
                               std::string& save_buffer);

}  // namespace statistics
