// The reader of the journal of received lines, on what may be found in the log folder's
// received.journal after a crash, damage or a planted file.
//
// Input: one mode byte, then
//   mode bit 0 clear: a journal's bytes. Whatever they are, the reader stays within them, and
//     places an unfinished write, or a cut line, only in a daily file of its folder.
//   mode bit 0 set: records of a journal the program could have written: (kind, length,
//     bytes) triples that become L records and W and D records at offsets that make sense,
//     under a generation from the input. Read back whole it gives the lines and the offsets
//     it was made of; cut anywhere, or ended by zeros, as a crash leaves it, it is never
//     taken for damage.
#include <cstdint>
#include <string>

#include "engine/statistics/daily_file_name.h"
#include "engine/statistics/journal_records.h"
#include "engine/statistics/journal_scan.h"
#include "fuzz/fuzz_input.h"

namespace {

using namespace statistics::journal;

const std::string kFolder = "/data/log";

void CheckAnyBytes(std::string_view bytes) {
    const Contents c = Read(bytes, kFolder);
    FUZZ_CHECK(c.whole_length <= bytes.size());
    FUZZ_CHECK(c.lines.size() == c.lines_size);
    FUZZ_CHECK(c.saved <= c.lines_size);
    FUZZ_CHECK(!c.open_write || statistics::IsDailyFileName(c.open_write->name));
    FUZZ_CHECK(c.last_write_name.empty() || statistics::IsDailyFileName(c.last_write_name));
    FUZZ_CHECK(c.has_header || c.lines_size == 0);
}

void CheckWritten(FuzzInput& in) {
    const std::uint64_t generation = static_cast<std::uint64_t>(in.Word()) << 32 | in.Word();
    std::string journal = HeaderRecord(generation);
    std::string lines;
    std::uint64_t saved = 0;
    bool open = false;
    std::size_t records = 0;
    while (!in.Empty() && records++ < 64) {
        const std::uint8_t kind = in.Byte() % 3;
        const std::uint8_t length = in.Byte();
        const std::string_view bytes = in.Text(length);
        if (kind == 0) {
            lines += bytes;
            journal += LinesRecord(generation, bytes);
        } else {
            // An offset between the saved ones and the end of the lines.
            const std::uint64_t at = saved + length % (lines.size() - saved + 1);
            if (kind == 1) {
                journal += WriteRecord(generation, at, bytes.size(), "2026-12-06.txt");
                open = true;
            } else {
                journal += DoneRecord(generation, at);
                open = false;
            }
            saved = at;
        }
    }
    const Contents c = Read(journal, kFolder);
    FUZZ_CHECK(c.has_header && !c.Spoilt() && c.ending == Ending::Whole);
    FUZZ_CHECK(c.lines == lines && c.saved == saved && c.open_write.has_value() == open);
    FUZZ_CHECK(c.whole_length == journal.size());
    // A crash cuts it short or leaves zeros at its end; the records before are all taken.
    for (std::size_t cut = 0; cut < journal.size(); cut += 1 + cut / 16) {
        const Contents torn = Read(journal.substr(0, cut), kFolder);
        FUZZ_CHECK(!torn.Spoilt());
        FUZZ_CHECK(lines.starts_with(torn.lines));
        const Contents zeros = Read(journal.substr(0, cut) + std::string(40, '\0'), kFolder);
        FUZZ_CHECK(!zeros.Spoilt() && zeros.lines == torn.lines);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    if ((in.Byte() & 1) == 0) {
        CheckAnyBytes(in.Text(in.Remaining()));
        return 0;
    }
    CheckWritten(in);
    return 0;
}
