#pragma once
// The analysis window: a report of one controller output's switchings over the lines of the
// main window's display, with a menu to switch the analysis, copy the report or change its
// font. Shown modally; the analysis mode it changes belongs to the caller and outlives it.

#include <QDialog>
#include <functional>
#include <memory>

#include "analysis/analysis_report.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"

class QTextDocument;

namespace Ui {
class TFormLog;
}

struct FormLogContext {
    const QTextDocument& display;  // the main window's display, read when an analysis runs
    AnalysisMode& mode;            // the program-wide analysis mode
    platform::Dialogs& dialogs;
    platform::Clipboard& clipboard;
    // The stored report font (Font/NameLog, Font/SizeLog), `present` when none is stored.
    std::function<platform::FontChoice(const platform::FontChoice& present)> read_font;
    // Stores the confirmed font; may throw (platform::IniWriteError), which the window
    // reports in a message box.
    std::function<void(const platform::FontChoice&)> write_font;
};

class TFormLog : public QDialog {
    Q_OBJECT

  public:
    TFormLog(FormLogContext context, QWidget* parent);
    ~TFormLog() override;

  private:
    void FormCreate();
    void N2Click() { RunMode(AnalysisMode::TrayTurnings); }
    void N3Click() { RunMode(AnalysisMode::Humidification); }
    void N4Click() { RunMode(AnalysisMode::T1T2Difference); }
    void N5Click() { RunMode(AnalysisMode::Heater); }
    void N6Click() { RunMode(AnalysisMode::SoundSignal); }
    void N7Click() { RunMode(AnalysisMode::EmergencyCooling); }
    void N8Click() { RunMode(AnalysisMode::EmergencyRelay); }
    void N10Click();
    void N12Click();
    void N13Click();

    void RunMode(AnalysisMode mode);
    void RunAnalysis();
    platform::FontChoice MemoFont() const;
    void ApplyMemoFont(const platform::FontChoice& font);

    std::unique_ptr<Ui::TFormLog> ui_;
    FormLogContext context_;
};
