#pragma once
// The records of the journal of received lines.
//
// A record is text: its kind, a blank, the payload's length in decimal, a blank, the payload,
// a blank, the CRC-32 of the journal's generation, the kind and the payload in eight hex
// digits, and a line feed. The first record is the header, which names the generation (a
// random number drawn when the journal starts afresh); every later record's checksum
// includes it, so that a record left over from an earlier journal in the same place never
// passes for one of this journal.
//
//   J  "incubator-monitor journal 2 <generation, 16 hex digits>"
//   L  bytes that entered the autosave's buffer (CR LF and a record line, for each line; the
//      lines of one receive event in one record)
//   W  "<from> <size> <name>": the buffer's bytes from offset <from> of the L bytes go to the
//      daily file <name> ("2026-12-06.txt") in the journal's own folder, which is <size>
//      bytes long before the write
//   D  "<to>": the L bytes before offset <to> are in a file (or were given up)
//
// Journals of version 1 name the daily file of a W record by its whole path.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace statistics::journal {

// What a header's payload begins with, before its version.
inline constexpr std::string_view kMagicStem = "incubator-monitor journal ";
// A header's payload: the stem, the version, a blank and the generation's 16 hex digits.
inline constexpr std::size_t kHeaderPayloadSize = kMagicStem.size() + 2 + 16;
// After the payload: a blank, the checksum's 8 hex digits, a line feed.
inline constexpr std::size_t kTrailerSize = 10;

std::string HeaderRecord(std::uint64_t generation);
std::string LinesRecord(std::uint64_t generation, std::string_view bytes);
std::string WriteRecord(std::uint64_t generation, std::uint64_t from, std::uint64_t size,
                        std::string_view name);
std::string DoneRecord(std::uint64_t generation, std::uint64_t to);

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes);
// The checksum of a record before its payload: that of the generation and the kind.
std::uint32_t RecordCrcStart(std::uint64_t generation, char kind);

}  // namespace statistics::journal
