#include "analysis/analysis_report.h"

#include <algorithm>
#include <array>

#include "common/utf8.h"
#include "engine/record_line.h"

namespace {

enum class LineFormat { StateOnly, Humidity, Temperatures };

constexpr std::string_view kSwitchedOff = "_Выключение";
constexpr std::string_view kReverse = "Реверс  ";
constexpr std::string_view kMotion = "Движение";

// Output `position` (1..8) is on when its character is its own digit. The digit is one
// byte, so comparing the first byte of that character is enough.
bool OutputOn(std::string_view outs, int position) {
    const std::string_view rest = outs.substr(text::Utf8Prefix(outs, position - 1).size());
    return !rest.empty() && rest.front() == static_cast<char>('0' + position);
}

// The outputs field of a record line is plain ASCII, where characters are bytes; walking it
// character by character costs a third of a run over a full display.
bool StartsAscii(std::string_view s, std::size_t count) {
    if (s.size() < count) return false;
    for (std::size_t i = 0; i < count; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

}  // namespace

struct AnalysisRule {
    AnalysisMode mode;
    std::string_view heading;
    int position;  // the output tested; tray turnings test it and the next one
    std::string_view on_text;
    LineFormat format;

    std::size_t FieldLengthNeeded() const {
        return static_cast<std::size_t>(mode == AnalysisMode::TrayTurnings ? position + 1
                                                                           : position);
    }

    // The state text of a line whose tested outputs are on; empty when they are off. A field
    // too short to hold every tested position counts as all off.
    std::string_view OnText(std::string_view outs) const {
        const std::size_t needed = FieldLengthNeeded();
        const bool ascii = StartsAscii(outs, needed);
        if (!ascii && text::Utf8Length(outs) < needed) return {};
        const auto on = [&](int k) {
            return ascii ? outs[static_cast<std::size_t>(k - 1)] == static_cast<char>('0' + k)
                         : OutputOn(outs, k);
        };
        if (mode == AnalysisMode::TrayTurnings) {
            if (on(position)) return kReverse;
            if (on(position + 1)) return kMotion;
            return {};
        }
        return on(position) ? on_text : std::string_view{};
    }
};

namespace {

using Rule = AnalysisRule;

const std::array<Rule, 7> kRules{{
    {AnalysisMode::TrayTurnings, "- Движение лотков -", 5, {}, LineFormat::StateOnly},
    {AnalysisMode::Humidification, "- Влажность -", 4, "Увлажнение включено", LineFormat::Humidity},
    {AnalysisMode::T1T2Difference, "- Разность между Т1 и Т2 -", 3, "Включение",
     LineFormat::Temperatures},
    {AnalysisMode::Heater, "- Включение вывода НАГРЕВ (2) -", 2, "Включение",
     LineFormat::Temperatures},
    {AnalysisMode::SoundSignal, "- Звуковая сигнализация -", 1, "Включение", LineFormat::StateOnly},
    {AnalysisMode::EmergencyCooling, "- Включение вывода аварийного охлаждения -", 7, "Включение",
     LineFormat::StateOnly},
    {AnalysisMode::EmergencyRelay, "- Включение вывода аварийного реле -", 8, "Включение",
     LineFormat::StateOnly},
}};

const Rule* FindRule(AnalysisMode mode) {
    const auto it = std::find_if(kRules.begin(), kRules.end(),
                                 [mode](const Rule& r) { return r.mode == mode; });
    return it == kRules.end() ? nullptr : &*it;
}

// A line's outputs field (get_outs) when the line has one whole: at least five "=" and, after
// the fifth, a word of at least eight characters. Empty otherwise: a note typed into the
// display ("12 октября перевернул лотки вручную") holds no outputs, and counts as all off.
std::string WholeOutputsField(std::string_view line) {
    if (std::count(line.begin(), line.end(), '=') < 5) return {};
    // The field is the word get_outs starts at; it must hold all eight positions.
    std::string outs = get_outs(line);
    const auto word_end = std::find_if(outs.begin(), outs.end(),
                                       [](char c) { return static_cast<unsigned char>(c) <= ' '; });
    outs.erase(word_end, outs.end());
    if (text::Utf8Length(outs) < 8) outs.clear();
    return outs;
}

std::string ReportLine(const Rule& rule, std::string_view line, std::string_view state) {
    std::string out;
    out.reserve(64);
    out.append(get_date(line)).append("  ").append(get_time(line)).append("  ");
    out.append("  ").append(state);
    switch (rule.format) {
        case LineFormat::StateOnly:
            break;
        case LineFormat::Humidity:
            out.append("  ").append(get_HM(line)).append("%");
            break;
        case LineFormat::Temperatures:
            out.append("  T1=").append(get_T1(line)).append(" T2=").append(get_T2(line));
            break;
    }
    return out;
}

}  // namespace

bool IsKnownAnalysisMode(AnalysisMode mode) {
    return FindRule(mode) != nullptr;
}

AnalysisRun::AnalysisRun(AnalysisMode mode) : rule_(FindRule(mode)) {
    if (rule_) report_.emplace_back(rule_->heading);
}

void AnalysisRun::AddDisplayLine(std::string_view line) {
    if (!rule_ || line.empty()) return;
    const std::string outs = WholeOutputsField(line);
    if (const std::string_view on_text = rule_->OnText(outs); !on_text.empty()) {
        state_ = on_text;
        on_ = true;
    } else if (on_) {
        state_ = kSwitchedOff;
        on_ = false;
    }
    // Before the first switch-on there is no state yet; afterwards only changes are reported.
    if (state_.empty() || state_ == last_reported_) return;
    report_.push_back(ReportLine(*rule_, line, state_));
    last_reported_ = state_;
}

std::vector<std::string> RunAnalysis(AnalysisMode mode, std::span<const std::string_view> lines) {
    AnalysisRun run(mode);
    for (const std::string_view line : lines) run.AddDisplayLine(line);
    return run.TakeReport();
}
