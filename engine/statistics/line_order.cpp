#include "engine/statistics/line_order.h"

#include <memory>
#include <utility>

namespace statistics {

namespace {

constexpr std::string_view kLineStart = "\r\n";
// More than a stamp and the CR LF before it.
constexpr std::size_t kTailBytes = 32;
// Files remembered at once: the day's, the day before's, and a few after clock changes.
constexpr std::size_t kRemembered = 8;

}  // namespace

LineOrder::LineOrder(FileSystem& files, std::string log_folder)
    : files_(files), log_folder_(std::move(log_folder)) {}

void LineOrder::WillWrite(const std::string& name) {
    if (last_.count(name)) return;
    if (last_.size() >= kRemembered) last_.clear();
    std::optional<LineStamp>& last = last_[name];
    std::unique_ptr<InputFile> file;
    std::uint64_t size = 0;
    if (files_.OpenForReading(JoinPath(log_folder_, name), file) != 0 || file->Size(size) != 0)
        return;
    const std::uint64_t at = size > kTailBytes ? size - kTailBytes : 0;
    char tail[kTailBytes];
    int error = 0;
    const std::size_t n = file->ReadAt(at, tail, static_cast<std::size_t>(size - at), error);
    if (error == 0) last = StampOf(std::string_view(tail, n));
}

std::optional<AutosaveWarning> LineOrder::Wrote(const std::string& name, std::string_view written,
                                                bool whole) {
    const auto known = last_.find(name);
    std::optional<LineStamp> previous = known == last_.end() ? std::nullopt : known->second;
    std::optional<LineStamp> before, after;
    for (std::size_t at = 0; at < written.size();) {
        const std::size_t from = written.substr(at).starts_with(kLineStart) ? at + 2 : at;
        const std::size_t end = std::min(written.find(kLineStart, from), written.size());
        if (const auto stamp = StampOf(written.substr(from, end - from))) {
            if (previous && *stamp < *previous && !after) {
                before = previous;
                after = stamp;
            }
            previous = stamp;
        }
        at = end;
    }
    // A cut line is no line to compare with: the file's end is read again when needed.
    if (!whole)
        last_.erase(name);
    else if (known != last_.end())
        known->second = previous;
    if (!after) return std::nullopt;
    return AutosaveWarning{"Внимание!",
                           "Часы компьютера переведены назад: строка статистики со временем " +
                               after->Text() + " записана в файл \"" + JoinPath(log_folder_, name) +
                               "\" после строки со временем " + before->Text() + "."};
}

}  // namespace statistics
