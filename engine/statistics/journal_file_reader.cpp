#include "engine/statistics/journal_file_reader.h"

#include <algorithm>

#include "engine/statistics/journal_records.h"

namespace statistics::journal {

namespace {

// At most this many digits in a length.
constexpr std::size_t kLengthDigits = 10;

bool IsKind(char c) {
    return c == 'J' || c == 'L' || c == 'W' || c == 'D';
}

int HexDigit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The frame at `at` in the bytes before `end`.
Found Frame(Window& window, std::uint64_t at, std::uint64_t end, RecordFrame& frame) {
    const std::string_view head = window.View(
        at, static_cast<std::size_t>(std::min<std::uint64_t>(end - at, 3 + kLengthDigits)));
    if (head.empty()) return Found::Incomplete;
    if (!IsKind(head[0])) return Found::Bad;
    if (head.size() < 2) return Found::Incomplete;
    if (head[1] != ' ') return Found::Bad;
    std::uint64_t length = 0;
    std::size_t i = 2;
    for (; i < head.size() && head[i] != ' '; ++i) {
        if (head[i] < '0' || head[i] > '9' || i - 2 == kLengthDigits) return Found::Bad;
        length = length * 10 + static_cast<std::uint64_t>(head[i] - '0');
    }
    if (i == head.size()) return i - 2 <= kLengthDigits ? Found::Incomplete : Found::Bad;
    if (i == 2) return Found::Bad;
    frame = {head[0], at, at + i + 1, length};
    return frame.End() > end ? Found::Incomplete : Found::Record;
}

}  // namespace

std::string_view Window::View(std::uint64_t at, std::size_t n) {
    if (error_ != 0 || at >= size_) return {};
    n = static_cast<std::size_t>(std::min<std::uint64_t>(std::min(n, kCapacity), size_ - at));
    if (at < data_at_ || at + n > data_at_ + data_.size()) {
        data_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kCapacity, size_ - at)));
        std::size_t done = 0;
        while (done < data_.size()) {
            const std::size_t got =
                file_.ReadAt(at + done, data_.data() + done, data_.size() - done, error_);
            if (error_ != 0) {
                data_.clear();
                return {};
            }
            if (got == 0) break;  // the file shrank meanwhile
            done += got;
        }
        data_.resize(done);
        data_at_ = at;
        n = std::min(n, done);
    }
    return std::string_view(data_).substr(static_cast<std::size_t>(at - data_at_), n);
}

std::uint64_t RecordFrame::End() const {
    return payload_at + payload_size + kTrailerSize;
}

bool ReadFrame(Window& window, std::uint64_t at, RecordFrame& frame) {
    return Frame(window, at, window.Size(), frame) == Found::Record;
}

Found ReadRecord(Window& window, std::uint64_t at, std::uint64_t end, std::uint64_t generation,
                 RecordFrame& frame, std::string* payload, std::size_t max_payload) {
    if (const Found found = Frame(window, at, end, frame); found != Found::Record) return found;
    if (payload) {
        if (frame.payload_size > max_payload) return Found::Bad;
        payload->clear();
    }
    std::uint32_t crc = RecordCrcStart(generation, frame.kind);
    for (std::uint64_t done = 0; done < frame.payload_size;) {
        const std::string_view piece = window.View(
            frame.payload_at + done, static_cast<std::size_t>(std::min<std::uint64_t>(
                                         frame.payload_size - done, Window::kCapacity)));
        if (piece.empty()) return Found::Bad;
        crc = Crc32(crc, piece);
        if (payload) payload->append(piece);
        done += piece.size();
    }
    const std::string_view trailer =
        window.View(frame.payload_at + frame.payload_size, kTrailerSize);
    if (trailer.size() != kTrailerSize || trailer[0] != ' ' || trailer[9] != '\n')
        return Found::Bad;
    std::uint32_t recorded = 0;
    for (std::size_t i = 1; i < 9; ++i) {
        const int digit = HexDigit(trailer[i]);
        if (digit < 0) return Found::Bad;
        recorded = recorded << 4 | static_cast<std::uint32_t>(digit);
    }
    return recorded == crc ? Found::Record : Found::Bad;
}

std::uint64_t EndWithoutZeros(Window& window) {
    std::uint64_t end = window.Size();
    while (end > 0) {
        const std::uint64_t from = end > Window::kCapacity ? end - Window::kCapacity : 0;
        const std::string_view piece = window.View(from, static_cast<std::size_t>(end - from));
        if (piece.size() != end - from) return end;  // a failed read: keep what is there
        const std::size_t last = piece.find_last_not_of('\0');
        if (last != std::string_view::npos) return from + last + 1;
        end = from;
    }
    return 0;
}

}  // namespace statistics::journal
