#pragma once
// Event reports over the display's record lines: when one controller output switched on and
// off, with date and time, and for some outputs the readings of that moment.

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The program-wide analysis mode; its value is the mode's letter. A value outside these
// seven runs no analysis.
enum class AnalysisMode : char {
    TrayTurnings = 'L',      // outputs 5 and 6
    Humidification = 'H',    // output 4
    T1T2Difference = 'D',    // output 3
    Heater = 'N',            // output 2
    SoundSignal = 'Z',       // output 1
    EmergencyCooling = 'O',  // output 7
    EmergencyRelay = 'A',    // output 8
};

bool IsKnownAnalysisMode(AnalysisMode mode);

struct AnalysisRule;  // heading, tested outputs and report format of one mode

// One run of an analysis: feed the display's lines in order, then read the report, heading
// first. Built for a known mode only; for any other it stays empty and ignores its lines.
class AnalysisRun {
  public:
    explicit AnalysisRun(AnalysisMode mode);

    void AddDisplayLine(std::string_view line);

    const std::vector<std::string>& Report() const { return report_; }
    std::vector<std::string> TakeReport() { return std::move(report_); }

  private:
    const AnalysisRule* rule_;
    std::string_view state_;
    std::string_view last_reported_;
    bool on_ = false;
    std::vector<std::string> report_;
};

// The whole report over `lines`; empty for a mode outside the seven.
std::vector<std::string> RunAnalysis(AnalysisMode mode, std::span<const std::string_view> lines);
