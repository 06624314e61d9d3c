#include "engine/statistics/recovered_bytes.h"

#include <algorithm>

namespace statistics::journal {

namespace {

constexpr std::string_view kLineStart = "\r\n";

}  // namespace

RecoveredBytes::RecoveredBytes(std::unique_ptr<InputFile> file, std::uint64_t records_at,
                               std::uint64_t records_end, std::uint64_t from)
    : file_(std::move(file)), window_(*file_, records_end), from_(from), at_(records_at) {}

bool RecoveredBytes::NextRecord() {
    while (at_ < window_.Size()) {
        RecordFrame frame;
        if (!ReadFrame(window_, at_, frame)) return false;
        at_ = frame.End();
        if (frame.kind != 'L') continue;
        const std::uint64_t start = lines_at_;
        lines_at_ += frame.payload_size;
        if (lines_at_ <= from_) continue;
        record_ = frame;
        in_record_ = from_ > start ? from_ - start : 0;
        return true;
    }
    return false;
}

std::size_t RecoveredBytes::Read(std::size_t want) {
    std::size_t appended = 0;
    while (appended < want) {
        if (!reading_ || in_record_ == record_.payload_size) {
            reading_ = NextRecord();
            if (!reading_) break;
        }
        const std::uint64_t left = record_.payload_size - in_record_;
        const std::string_view piece =
            window_.View(record_.payload_at + in_record_,
                         static_cast<std::size_t>(std::min<std::uint64_t>(left, want - appended)));
        if (piece.empty()) break;
        pending_.append(piece);
        in_record_ += piece.size();
        appended += piece.size();
    }
    return appended;
}

bool RecoveredBytes::StartWithLine() {
    if (pending_.size() < kLineStart.size()) Read(kLineStart.size() - pending_.size());
    return pending_.empty() || pending_.starts_with(kLineStart);
}

std::size_t RecoveredBytes::Next(std::string& out, std::size_t max) {
    while (!ended_ && pending_.size() < max)
        if (Read(max - pending_.size()) == 0) ended_ = true;
    std::size_t cut = pending_.size();
    if (!ended_) {
        // A line longer than a piece goes in pieces of its own.
        const std::size_t line = pending_.rfind(kLineStart);
        if (line != std::string::npos && line > 0) cut = line;
    }
    out.append(pending_, 0, cut);
    pending_.erase(0, cut);
    return cut;
}

}  // namespace statistics::journal
