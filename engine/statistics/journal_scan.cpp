#include "engine/statistics/journal_scan.h"

#include <charconv>
#include <filesystem>

#include "engine/statistics/daily_file_name.h"
#include "engine/statistics/journal_file_reader.h"
#include "engine/statistics/journal_records.h"

namespace statistics::journal {

namespace {

// The payloads of J, W and D records are short: a W record's names a file.
constexpr std::size_t kMaxSmallPayload = 16 * 1024;
// What a header record begins with.
constexpr std::string_view kHeaderStart = "J 44 ";
static_assert(kHeaderStart.size() == 5 && kHeaderPayloadSize == 44);

std::optional<std::uint64_t> Number(std::string_view text) {
    std::uint64_t value = 0;
    if (text.empty() || text.size() > 19) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The generation a header's payload names.
std::optional<std::uint64_t> HeaderGeneration(std::string_view payload) {
    if (payload.size() != kHeaderPayloadSize || !payload.starts_with(kMagicStem))
        return std::nullopt;
    const std::string_view rest = payload.substr(kMagicStem.size());
    if ((rest[0] != '1' && rest[0] != '2') || rest[1] != ' ') return std::nullopt;
    std::uint64_t generation = 0;
    for (const char c : rest.substr(2)) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        generation = generation << 4 | static_cast<unsigned>(digit);
    }
    return generation;
}

std::string Normal(const std::string& folder) {
    std::string normal = std::filesystem::path(folder).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal.empty() ? "." : normal;
}

class Scanner {
  public:
    Scanner(InputFile& file, std::uint64_t size, const std::string& folder,
            const std::function<void(std::string_view)>& lines)
        : window_(file, size), folder_(folder), lines_(lines) {}

    Contents Run() {
        if (FindHeader()) ReadRecords();
        c_.error = window_.Error();
        return std::move(c_);
    }

  private:
    // The header at the start, or else the first one found further on.
    bool FindHeader() {
        RecordFrame frame;
        std::string payload;
        const Found found =
            ReadRecord(window_, 0, window_.Size(), 0, frame, &payload, kMaxSmallPayload);
        if (found == Found::Record && frame.kind == 'J') {
            if (const auto generation = HeaderGeneration(payload)) {
                Take(*generation, 0, frame.End());
                return true;
            }
        }
        if (found != Found::Record && IsTornTail(0)) {
            c_.ending = Ending::Torn;  // a journal that a crash left before its header was whole
            return false;
        }
        c_.ending = Ending::Damaged;
        for (std::uint64_t at = 1; (at = FindStem(at)) != kNone; ++at) {
            if (at < kHeaderStart.size()) continue;
            const std::uint64_t start = at - kHeaderStart.size();
            const std::string_view head =
                window_.View(start, kHeaderStart.size() + kHeaderPayloadSize);
            if (!head.starts_with(kHeaderStart)) continue;
            const auto generation = HeaderGeneration(head.substr(kHeaderStart.size()));
            if (!generation) continue;
            const bool whole =
                ReadRecord(window_, start, window_.Size(), 0, frame, nullptr) == Found::Record;
            const std::uint64_t next =
                start + kHeaderStart.size() + kHeaderPayloadSize + kTrailerSize;
            RecordFrame after;
            if (!whole && ReadRecord(window_, next, window_.Size(), *generation, after, nullptr) !=
                              Found::Record)
                continue;
            Take(*generation, start, next);
            c_.header_damaged = !whole;
            return true;
        }
        return false;
    }

    static constexpr std::uint64_t kNone = static_cast<std::uint64_t>(-1);

    // The first occurrence of the header's stem at or after `from`.
    std::uint64_t FindStem(std::uint64_t from) {
        const std::size_t step = Window::kCapacity - kMagicStem.size();
        for (std::uint64_t at = from; at < window_.Size(); at += step) {
            const std::string_view piece = window_.View(at, Window::kCapacity);
            if (piece.empty()) return kNone;
            if (const std::size_t found = piece.find(kMagicStem); found != std::string_view::npos)
                return at + found;
            if (piece.size() < Window::kCapacity) return kNone;
        }
        return kNone;
    }

    void Take(std::uint64_t generation, std::uint64_t at, std::uint64_t end) {
        c_.has_header = true;
        c_.generation = generation;
        c_.header_at = at;
        c_.records_at = end;
        c_.whole_length = end;
    }

    void ReadRecords() {
        std::string payload;
        for (std::uint64_t at = c_.whole_length; at < window_.Size(); at = c_.whole_length) {
            // The lines are passed on when asked for, else only checked; the rest is short.
            const std::string_view kind = window_.View(at, 1);
            const bool lines = !kind.empty() && kind[0] == 'L';
            RecordFrame frame;
            const Found found = ReadRecord(window_, at, window_.Size(), c_.generation, frame,
                                           lines && !lines_ ? nullptr : &payload,
                                           lines ? static_cast<std::size_t>(-1) : kMaxSmallPayload);
            if (found != Found::Record) {
                c_.ending = IsTornTail(at) ? Ending::Torn : Ending::Damaged;
                return;
            }
            if (!Apply(frame, payload)) return;
            c_.whole_length = frame.End();
        }
        c_.ending = Ending::Whole;
    }

    // Whether the bytes from `at` on are what a crash leaves: zeros, or the beginning of a
    // record that the end of the written bytes cuts off.
    bool IsTornTail(std::uint64_t at) {
        const std::uint64_t end = EndWithoutZeros(window_);
        if (at >= end) return true;
        RecordFrame frame;
        return ReadRecord(window_, at, end, c_.generation, frame, nullptr) == Found::Incomplete;
    }

    // Takes a record; false (with the reason set) when it makes no sense where it stands.
    bool Apply(const RecordFrame& frame, const std::string& payload) {
        const std::string_view p = payload;
        switch (frame.kind) {
            case 'L':
                c_.lines_size += frame.payload_size;
                if (lines_) lines_(p);
                return true;
            case 'W': {
                const std::size_t first = p.find(' ');
                const std::size_t second =
                    first == std::string_view::npos ? first : p.find(' ', first + 1);
                if (second == std::string_view::npos) return Fail(Ending::Damaged);
                const auto from = Number(p.substr(0, first));
                const auto size = Number(p.substr(first + 1, second - first - 1));
                if (!from || !size || *from < c_.saved || *from > c_.lines_size)
                    return Fail(Ending::Damaged);
                const std::string_view recorded = p.substr(second + 1);
                const auto name = PlacedName(recorded, folder_);
                if (!name) {
                    c_.unplaced = std::string(recorded);
                    return Fail(Ending::Unplaced);
                }
                c_.saved = *from;
                c_.open_write = OpenWrite{*from, *size, *name, frame.at};
                c_.last_write_name = *name;
                return true;
            }
            case 'D': {
                const auto to = Number(p);
                if (!to || *to < c_.saved || *to > c_.lines_size) return Fail(Ending::Damaged);
                c_.saved = *to;
                c_.open_write.reset();
                return true;
            }
            default:
                return Fail(Ending::Damaged);
        }
    }

    bool Fail(Ending ending) {
        c_.ending = ending;
        return false;
    }

    Window window_;
    const std::string& folder_;
    const std::function<void(std::string_view)>& lines_;
    Contents c_;
};

class BytesFile : public InputFile {
  public:
    explicit BytesFile(std::string_view bytes) : bytes_(bytes) {}
    int Size(std::uint64_t& size) override {
        size = bytes_.size();
        return 0;
    }
    std::size_t ReadAt(std::uint64_t offset, char* data, std::size_t size, int& error) override {
        error = 0;
        if (offset >= bytes_.size()) return 0;
        return bytes_.copy(data, size, static_cast<std::size_t>(offset));
    }

  private:
    std::string_view bytes_;
};

}  // namespace

Contents Scan(InputFile& file, const std::string& folder,
              const std::function<void(std::string_view)>& lines) {
    std::uint64_t size = 0;
    if (const int error = file.Size(size); error != 0) {
        Contents failed;
        failed.error = error;
        return failed;
    }
    return Scanner(file, size, folder, lines).Run();
}

Contents Read(std::string_view bytes, const std::string& folder) {
    BytesFile file(bytes);
    std::string lines;
    Contents c = Scan(file, folder, [&lines](std::string_view piece) { lines += piece; });
    c.lines = std::move(lines);
    return c;
}

std::optional<std::string> PlacedName(std::string_view recorded, const std::string& folder) {
    const std::size_t slash = recorded.find_last_of('/');
    const std::string_view name =
        slash == std::string_view::npos ? recorded : recorded.substr(slash + 1);
    if (!IsDailyFileName(name)) return std::nullopt;
    if (slash != std::string_view::npos &&
        (folder.empty() || Normal(std::string(recorded.substr(0, slash))) != Normal(folder)))
        return std::nullopt;
    return std::string(name);
}

}  // namespace statistics::journal
