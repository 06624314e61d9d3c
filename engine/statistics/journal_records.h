#pragma once
// The records of the journal of received lines, and reading them back.
//
// A record is text: its kind, a blank, the payload's length in decimal, a blank, the payload,
// a blank, the CRC-32 of the journal's generation, the kind and the payload in eight hex
// digits, and a line feed. The first record is the header, which names the generation (a
// random number drawn when the journal starts afresh); every later record's checksum
// includes it, so that a record left over from an earlier journal in the same place never
// passes for one of this journal.
//
//   J  "incubator-monitor journal 1 <generation, 16 hex digits>"
//   L  bytes that entered the autosave's buffer (CR LF and a record line, once per line)
//   W  "<from> <size> <path>": the buffer's bytes from offset <from> of the L bytes go to the
//      file <path>, which is <size> bytes long before the write
//   D  "<to>": the L bytes before offset <to> are in a file (or were given up)
//
// A reader takes the records up to the first one that is torn or damaged and ignores the
// rest: a crash leaves at most an unfinished tail.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace statistics::journal {

std::string HeaderRecord(std::uint64_t generation);
std::string LinesRecord(std::uint64_t generation, std::string_view bytes);
std::string WriteRecord(std::uint64_t generation, std::uint64_t from, std::uint64_t size,
                        std::string_view path);
std::string DoneRecord(std::uint64_t generation, std::uint64_t to);

struct OpenWrite {
    std::uint64_t from = 0;
    std::uint64_t size = 0;
    std::string path;
};

// What a journal's file says.
struct Contents {
    bool has_header = false;
    std::uint64_t generation = 0;
    std::string lines;        // all L bytes, in order
    std::uint64_t saved = 0;  // L bytes before this offset are in a file
    // A write that began and was not reported done: its file may hold part of it.
    std::optional<OpenWrite> open_write;
    std::string last_write_path;   // the file of the last W record
    std::size_t whole_length = 0;  // the bytes of the whole, valid records at the start
};

Contents Read(std::string_view bytes);

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes);

}  // namespace statistics::journal
