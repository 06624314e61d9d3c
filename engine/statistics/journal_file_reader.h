#pragma once
// The journal's records read from its file in bounded memory, whatever the file's size or
// what a damaged length says: the bytes come through a window of fixed size, and a payload
// is checked piece by piece.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/statistics/file_system.h"

namespace statistics::journal {

// A file's bytes through a window of at most kCapacity bytes.
class Window {
  public:
    static constexpr std::size_t kCapacity = 64 * 1024;

    Window(InputFile& file, std::uint64_t size) : file_(file), size_(size) {}
    std::uint64_t Size() const { return size_; }
    // Up to `n` (at most kCapacity) bytes at `at`: fewer at the file's end, none after a
    // failed read (see Error).
    std::string_view View(std::uint64_t at, std::size_t n);
    int Error() const { return error_; }

  private:
    InputFile& file_;
    std::uint64_t size_;
    std::string data_;
    std::uint64_t data_at_ = 0;
    int error_ = 0;
};

// Where a record's parts are, by its kind, blank and length.
struct RecordFrame {
    char kind = 0;
    std::uint64_t at = 0;
    std::uint64_t payload_at = 0;
    std::uint64_t payload_size = 0;
    std::uint64_t End() const;
};

enum class Found {
    Record,      // whole, and its checksum holds
    Incomplete,  // what is there looks like the beginning of a record that the end cuts off
    Bad,         // anything else
};

// The record at `at`, seen as if the file ended at `end`. `payload` (when given) receives the
// payload, and gets at most `max_payload` bytes: a longer one is Bad.
Found ReadRecord(Window& window, std::uint64_t at, std::uint64_t end, std::uint64_t generation,
                 RecordFrame& frame, std::string* payload,
                 std::size_t max_payload = static_cast<std::size_t>(-1));

// The frame alone, for a record already checked.
bool ReadFrame(Window& window, std::uint64_t at, RecordFrame& frame);

// Where the file's bytes end when the zeros at its end are left out (a power cut can leave
// zeros where written bytes did not reach the disk).
std::uint64_t EndWithoutZeros(Window& window);

}  // namespace statistics::journal
