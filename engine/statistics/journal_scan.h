#pragma once
// Reading a journal of received lines (see journal_records.h) from its file, in bounded
// memory: what it says about the lines, and where and why the reading stopped.
//
// The records are read from the header on, up to the first that is cut off, damaged, out of
// place where it stands or naming a file it cannot place. A journal that a crash cut short
// ends with the beginning of a record, or with zeros, and is otherwise whole; anything else
// is damage. A header that is not at the file's start is looked for further on, and one
// whose own checksum fails is taken when the record after it proves its generation.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/statistics/file_system.h"

namespace statistics::journal {

struct OpenWrite {
    std::uint64_t from = 0;
    std::uint64_t size = 0;
    std::string name;             // of the daily file in the journal's folder
    std::uint64_t record_at = 0;  // where its W record begins in the file
};

// How the reading ended.
enum class Ending {
    Whole,     // at the file's end
    Torn,      // at a record the file's end cuts off, or at zeros up to the end
    Damaged,   // at bytes that are no record, or one that makes no sense where it stands
    Unplaced,  // at a W record whose file is not a daily file of the journal's folder
};

// What a journal's file says.
struct Contents {
    bool has_header = false;
    std::uint64_t header_at = 0;   // where the header begins; not 0 when bytes came before it
    bool header_damaged = false;   // its own checksum failed, the next record proved it
    std::uint64_t records_at = 0;  // where the records after the header begin
    std::uint64_t generation = 0;
    std::uint64_t lines_size = 0;  // all L bytes
    std::uint64_t saved = 0;       // L bytes before this offset are in a file
    // A write that began and was not reported done: its file may hold part of it.
    std::optional<OpenWrite> open_write;
    std::string last_write_name;     // the file of the last W record
    std::uint64_t whole_length = 0;  // where the last record read ends
    Ending ending = Ending::Whole;
    std::string unplaced;  // what the W record that could not be placed names
    int error = 0;         // reading the file failed
    std::string lines;     // all L bytes, only when asked for (see Read)

    // The journal must be kept aside: what it holds is more than a crash leaves.
    bool Spoilt() const {
        return header_at != 0 || header_damaged || ending == Ending::Damaged ||
               ending == Ending::Unplaced;
    }
};

// Reads the journal `file` of the folder `folder`. `lines` (when given) receives the L bytes.
Contents Scan(InputFile& file, const std::string& folder,
              const std::function<void(std::string_view)>& lines = {});

// The same of bytes in memory, with all the L bytes in `lines`.
Contents Read(std::string_view bytes, const std::string& folder = {});

// The daily file a W record's name places in `folder`: a daily file's name, or (as journals of
// version 1 wrote it) a path whose folder is `folder` itself. None for anything else.
std::optional<std::string> PlacedName(std::string_view recorded, const std::string& folder);

}  // namespace statistics::journal
