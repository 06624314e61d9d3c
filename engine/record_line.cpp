#include "engine/record_line.h"

#include "common/text_format.h"
#include "common/text_parse.h"
#include "common/utf8.h"

using text::Trim;

namespace {

// Drops k fields: each time trims, then removes up to and including the first `separator`
// (nothing when there is none).
std::string_view SkipFields(std::string_view s, int k, char separator) {
    for (int i = 0; i < k; ++i) {
        s = Trim(s);
        if (const auto pos = s.find(separator); pos != std::string_view::npos)
            s.remove_prefix(pos + 1);
    }
    return s;
}

std::string_view BeforeFirstBlank(std::string_view s) {
    return s.substr(0, s.find(' '));
}

std::string FieldByEquals(std::string_view line, int k) {
    return std::string(Trim(BeforeFirstBlank(SkipFields(line, k, '='))));
}

std::string WordAfterBlanks(std::string_view line, int k) {
    return std::string(Trim(BeforeFirstBlank(Trim(SkipFields(line, k, ' ')))));
}

}  // namespace

std::string MakeRecordLine(std::string_view t1, std::string_view t2, std::string_view t3, int hm,
                           std::string_view outputs, const LocalDateTime& when) {
    std::string line;
    line.reserve(64);
    line.append("T1=").append(t1);
    line.append("  T2=").append(t2);
    line.append("  T3=").append(t3);
    line.append("  HM=").append(text::FormatInt(hm));
    line.append("  OUT=").append(outputs);
    line.append("  ").append(FormatDateDdMmYy(when));
    line.append(" ").append(FormatTimeHhMmSs(when));
    return line;
}

std::string get_T1(std::string_view line) {
    return text::FirstPointToComma(FieldByEquals(line, 1));
}
std::string get_T2(std::string_view line) {
    return text::FirstPointToComma(FieldByEquals(line, 2));
}
std::string get_T3(std::string_view line) {
    return text::FirstPointToComma(FieldByEquals(line, 3));
}
std::string get_HM(std::string_view line) {
    return FieldByEquals(line, 4);
}

std::string get_outs(std::string_view line) {
    return std::string(text::Utf8Prefix(Trim(SkipFields(line, 5, '=')), 8));
}

std::string get_date(std::string_view line) {
    return WordAfterBlanks(line, 5);
}
std::string get_time(std::string_view line) {
    return WordAfterBlanks(line, 6);
}

bool get_N(std::string_view line) {
    const std::string outs = get_outs(line);
    const std::string_view first = text::Utf8Prefix(outs, 1);
    return text::Utf8Prefix(std::string_view(outs).substr(first.size()), 1) == "2";
}
