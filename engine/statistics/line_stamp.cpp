#include "engine/statistics/line_stamp.h"

namespace statistics {

namespace {

constexpr std::string_view kPattern = "dd.dd.dd dd:dd:dd";

int TwoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

}  // namespace

std::string LineStamp::Text() const {
    return FormatDateDdMmYy(When()) + " " + FormatTimeHhMmSs(When());
}

std::optional<LineStamp> StampOf(std::string_view line) {
    if (line.size() < kPattern.size()) return std::nullopt;
    const std::string_view text = line.substr(line.size() - kPattern.size());
    for (std::size_t i = 0; i < kPattern.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i]) return std::nullopt;
    }
    const LineStamp stamp{2000 + TwoDigits(text, 6), TwoDigits(text, 3),  TwoDigits(text, 0),
                          TwoDigits(text, 9),        TwoDigits(text, 12), TwoDigits(text, 15)};
    if (stamp.month < 1 || stamp.month > 12 || stamp.day < 1 || stamp.day > 31 || stamp.hour > 23 ||
        stamp.minute > 59 || stamp.second > 60)
        return std::nullopt;
    return stamp;
}

}  // namespace statistics
