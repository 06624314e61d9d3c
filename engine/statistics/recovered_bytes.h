#pragma once
// The L bytes of a journal from an offset on, read again from its file in pieces of whole
// lines, so that recovering a journal takes bounded memory whatever its size. A Scan has
// checked its records before.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/statistics/file_system.h"
#include "engine/statistics/journal_file_reader.h"

namespace statistics::journal {

class RecoveredBytes {
  public:
    // The L bytes from offset `from` of the records between `records_at` and `records_end`.
    RecoveredBytes(std::unique_ptr<InputFile> file, std::uint64_t records_at,
                   std::uint64_t records_end, std::uint64_t from);

    // Appends the next piece to `out`: whole lines (CR LF before each, a cut line first) of
    // about `max` bytes, or all that is left. Returns the bytes appended; 0 at the end, and
    // when reading failed (see Error).
    std::size_t Next(std::string& out, std::size_t max);
    // Whether the bytes begin with a line's CR LF, not with the rest of a cut line.
    bool StartWithLine();
    int Error() const { return window_.Error(); }

  private:
    // Appends up to `want` bytes to `pending_`; how many.
    std::size_t Read(std::size_t want);
    // Moves to the next L record that holds bytes at or after `from_`.
    bool NextRecord();

    std::unique_ptr<InputFile> file_;
    Window window_;
    std::uint64_t from_;
    std::uint64_t at_;             // the next record
    std::uint64_t lines_at_ = 0;   // L bytes before the next record
    RecordFrame record_;           // the L record being read
    std::uint64_t in_record_ = 0;  // of its payload, read
    bool reading_ = false;
    bool ended_ = false;
    std::string pending_;  // read, not yet handed out
};

}  // namespace statistics::journal
