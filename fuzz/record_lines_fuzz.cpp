// Statistics files into the display and the sample history: the line splitter, the record
// line's field parsers and the history refill, on any bytes (broken fields, separators, line
// breaks, long lines, text that is not UTF-8) and on lines the decoder writes.
//
// Input: one mode byte, then
//   mode bit 0 clear: a file's bytes. With the low four bits 0010 the file's lines follow so
//     many empty lines that they cross the history's capacity (the next byte says where).
//   mode bit 0 set: samples of 12 bytes each (flags, outputs, T1, T2, T3, humidity, month,
//     day, hour), written as record lines, saved as a file and opened again: every value must
//     come back.
#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "common/text_parse.h"
#include "common/utf8.h"
#include "engine/record_line.h"
#include "engine/sample_history.h"
#include "engine/statistics/history_refill.h"
#include "engine/statistics/statistics_file.h"
#include "engine/telemetry_packet.h"
#include "fuzz/fuzz_input.h"

namespace {

using Lines = std::vector<std::string>;

// Marks the entries a refill must leave alone.
const HistoryEntry kUntouched{-12345.25, -12345.25, -12345.25, 77, true};

SampleHistory& History() {
    static SampleHistory history;
    return history;
}

bool IsUntouched(const SampleHistory& h, std::size_t i) {
    return h.HistT1[i] == kUntouched.t1 && h.HistT2[i] == kUntouched.t2 &&
           h.HistT3[i] == kUntouched.t3 && h.HistHM[i] == kUntouched.hm && h.HistHeater[i] == 1;
}

bool IsTrimmedWord(const std::string& s) {
    return s.find(' ') == std::string::npos && text::Trim(s) == s;
}

// The lines must give back the file byte for byte: each one followed by a line break of the
// display (CR LF, LF, CR, U+2029, U+FDD0, U+FDD1), the last one possibly by nothing.
void CheckSplit(std::string_view content, const Lines& lines) {
    static constexpr std::string_view kBreaks[] = {"\r\n",         "\n",           "\r",
                                                   "\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91"};
    std::size_t at = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        for (const std::string_view line_break : kBreaks)
            FUZZ_CHECK(line.find(line_break) == std::string::npos);
        FUZZ_CHECK(content.compare(at, line.size(), line) == 0);
        at += line.size();
        bool ended = false;
        for (const std::string_view line_break : kBreaks) {
            if (content.compare(at, line_break.size(), line_break) == 0) {
                at += line_break.size();
                ended = true;
                break;
            }
        }
        if (!ended) FUZZ_CHECK(i + 1 == lines.size() && at == content.size());
    }
    FUZZ_CHECK(at == content.size());
}

void CheckParsers(const std::string& line) {
    const std::string t1 = get_T1(line), t2 = get_T2(line), t3 = get_T3(line);
    const std::string hm = get_HM(line), outs = get_outs(line);
    const std::string date = get_date(line), time = get_time(line);
    for (const std::string* field : {&t1, &t2, &t3, &hm, &date, &time})
        FUZZ_CHECK(IsTrimmedWord(*field));
    for (const std::string* field : {&hm, &outs, &date, &time})
        FUZZ_CHECK(line.find(*field) != std::string::npos);
    FUZZ_CHECK(text::Utf8Length(outs) <= 8);
    const std::string_view first = text::Utf8Prefix(outs, 1);
    const bool heater = text::Utf8Prefix(std::string_view(outs).substr(first.size()), 1) == "2";
    FUZZ_CHECK(get_N(line) == heater);
    if (line.empty()) FUZZ_CHECK(t1.empty() && hm.empty() && outs.empty() && time.empty());
}

// The refill writes entry i from line i exactly for the non-empty lines before the one
// where it stopped, and nothing else. Lines before `first` are empty.
void CheckRefill(std::span<const std::string> lines, std::size_t first = 0) {
    SampleHistory& h = History();
    const std::size_t span = std::min(lines.size() + 1, HISTORY_CAPACITY);
    for (std::size_t i = first; i < span; ++i) h.Store(i, kUntouched);

    const statistics::HistoryRefill r = statistics::RefillHistory(lines, h);
    FUZZ_CHECK(r.stopped_at <= lines.size() && r.stopped_at <= HISTORY_CAPACITY);
    FUZZ_CHECK(r.exceeded == (!r.error && lines.size() > HISTORY_CAPACITY));
    if (!r.error && !r.exceeded) FUZZ_CHECK(r.stopped_at == lines.size());
    if (r.exceeded) FUZZ_CHECK(r.stopped_at == HISTORY_CAPACITY);
    if (r.error) FUZZ_CHECK(r.stopped_at < lines.size() && !lines[r.stopped_at].empty());

    std::size_t filled = 0;
    for (std::size_t i = first; i < span; ++i) {
        if (i >= r.stopped_at || lines[i].empty()) {
            FUZZ_CHECK(IsUntouched(h, i));
            continue;
        }
        ++filled;
        const std::string& line = lines[i];
        const auto t1 = text::ParseDouble(get_T1(line)), t2 = text::ParseDouble(get_T2(line)),
                   t3 = text::ParseDouble(get_T3(line));
        const auto humidity = text::ParseInt(get_HM(line));
        FUZZ_CHECK(t1 && t2 && t3 && humidity);
        FUZZ_CHECK(h.HistT1[i] == *t1 && h.HistT2[i] == *t2 && h.HistT3[i] == *t3);
        FUZZ_CHECK(h.HistHM[i] == static_cast<std::uint8_t>(*humidity));
        FUZZ_CHECK(h.HistHeater[i] == (get_N(line) ? 1 : 0));
    }
    FUZZ_CHECK(filled == r.filled);
    if (r.error) {
        const std::string& line = lines[r.stopped_at];
        const std::string fields[] = {get_T1(line), get_T2(line), get_T3(line)};
        std::string expected;
        for (const std::string& f : fields) {
            if (!text::ParseDouble(f)) {
                expected = text::NotAFloatMessage(f);
                break;
            }
        }
        if (expected.empty()) expected = text::NotAnIntegerMessage(get_HM(line));
        FUZZ_CHECK(*r.error == expected);
    }
}

void OpenedFile(FuzzInput& in, bool near_capacity) {
    std::size_t empty_lines = 0;
    if (near_capacity) empty_lines = HISTORY_CAPACITY - 8 + (in.Byte() & 15);
    const std::string content(in.Text(in.Remaining()));
    const Lines lines = statistics::SplitStatisticsLines(content);
    CheckSplit(content, lines);
    for (const std::string& line : lines) CheckParsers(line);
    if (empty_lines == 0) {
        CheckRefill(lines);
        return;
    }
    // Made once: the many empty lines before the file's own.
    static Lines long_file(HISTORY_CAPACITY - 8);
    long_file.resize(HISTORY_CAPACITY - 8);
    long_file.resize(empty_lines);
    long_file.insert(long_file.end(), lines.begin(), lines.end());
    CheckRefill(long_file, empty_lines);
}

// Lines as the decoder writes them come back from a saved file with their values.
void WrittenLines(FuzzInput& in) {
    struct Written {
        DecodedSample values;
        bool rounding;
        bool nine;
    };
    std::vector<Written> samples;
    Lines lines;
    while (!in.Empty()) {
        const std::uint8_t flags = in.Byte();
        const bool nine = (flags & 1) != 0, rounding = (flags & 2) != 0;
        std::uint8_t packet[9] = {in.Byte()};
        for (int i = 1; i < 7; ++i) packet[i] = in.Byte();
        packet[7] = in.Byte();
        const LocalDateTime when{
            2000 + (flags >> 2), 1 + in.Byte() % 12, 1 + in.Byte() % 31, in.Byte() % 24, 0, 0};
        const DecodedSample v =
            DecodeSample(packet, nine ? PacketLayout::Nine : PacketLayout::Eight, rounding);
        const SampleTexts t = FormatSample(v, rounding);
        lines.push_back(MakeRecordLine(t.t1, t.t2, t.t3, v.hm, v.out_string, when));
        samples.push_back({v, rounding, nine});
    }
    const std::string file = statistics::JoinStatisticsLines(lines);
    const Lines opened = statistics::SplitStatisticsLines(file);
    FUZZ_CHECK(opened == lines);
    SampleHistory& h = History();
    const statistics::HistoryRefill r = statistics::RefillHistory(opened, h);
    FUZZ_CHECK(!r.error && r.filled == lines.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const DecodedSample& v = samples[i].values;
        FUZZ_CHECK(h.HistT1[i] == v.t1);
        FUZZ_CHECK(h.HistT2[i] == v.t2);
        // T3 is written with one decimal whatever the rounding.
        if (samples[i].nine || samples[i].rounding)
            FUZZ_CHECK(h.HistT3[i] == v.t3);
        else
            FUZZ_CHECK(std::fabs(h.HistT3[i] - v.t3) <= 0.05 + 1e-9);
        FUZZ_CHECK(h.HistHM[i] == static_cast<std::uint8_t>(v.hm));
        FUZZ_CHECK(h.HistHeater[i] == (v.heater ? 1 : 0));
        FUZZ_CHECK(get_outs(lines[i]) == v.out_string);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t mode = in.Byte();
    if (mode & 1)
        WrittenLines(in);
    else
        OpenedFile(in, (mode & 0x0F) == 2);  // slow: not too often
    return 0;
}
