#include "analysis/qt/form_log.h"

#include <QFontInfo>
#include <exception>
#include <string>
#include <vector>

#include "analysis/qt/display_lines.h"
#include "ui_form_log.h"

namespace {

QString JoinLines(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 1;
    std::string joined;
    joined.reserve(size);
    for (const std::string& line : lines) {
        if (!joined.empty()) joined += '\n';
        joined += line;
    }
    return QString::fromUtf8(joined.data(), static_cast<qsizetype>(joined.size()));
}

}  // namespace

TFormLog::TFormLog(FormLogContext context, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TFormLog>()), context_(std::move(context)) {
    ui_->setupUi(this);
    connect(ui_->N2, &QAction::triggered, this, &TFormLog::N2Click);
    connect(ui_->N3, &QAction::triggered, this, &TFormLog::N3Click);
    connect(ui_->N4, &QAction::triggered, this, &TFormLog::N4Click);
    connect(ui_->N5, &QAction::triggered, this, &TFormLog::N5Click);
    connect(ui_->N6, &QAction::triggered, this, &TFormLog::N6Click);
    connect(ui_->N7, &QAction::triggered, this, &TFormLog::N7Click);
    connect(ui_->N8, &QAction::triggered, this, &TFormLog::N8Click);
    connect(ui_->N10, &QAction::triggered, this, &TFormLog::N10Click);
    connect(ui_->N12, &QAction::triggered, this, &TFormLog::N12Click);
    connect(ui_->N13, &QAction::triggered, this, &TFormLog::N13Click);
    FormCreate();
}

TFormLog::~TFormLog() = default;

void TFormLog::FormCreate() {
    if (context_.read_font) ApplyMemoFont(context_.read_font(MemoFont()));
    RunAnalysis();
}

void TFormLog::N10Click() {
    close();
}

void TFormLog::N12Click() {
    ui_->Memo1->selectAll();
    context_.clipboard.SetText(ui_->Memo1->toPlainText().toStdString());
}

void TFormLog::N13Click() {
    const auto chosen =
        context_.dialogs.ChooseFont(this, MemoFont(), [](const platform::FontChoice&) {});
    if (!chosen) return;
    ApplyMemoFont(*chosen);
    if (!context_.write_font) return;
    // A refused write ("Unable to write to ...") is told, as the main window's writers do;
    // nothing may leave this handler into the toolkit's event loop.
    try {
        context_.write_font(MemoFont());
    } catch (const std::exception& e) {
        context_.dialogs.Message(this, e.what(), windowTitle().toStdString(),
                                 platform::MessageButtons::Ok, platform::MessageIcon::Error);
    }
}

void TFormLog::RunMode(AnalysisMode mode) {
    context_.mode = mode;
    RunAnalysis();
}

void TFormLog::RunAnalysis() {
    const AnalysisMode mode = context_.mode;
    if (!IsKnownAnalysisMode(mode)) return;
    AnalysisRun run(mode);
    ForEachDisplayLine(context_.display,
                       [&run](std::string_view line) { run.AddDisplayLine(line); });
    // One replacement of the whole text, painted once: reports run to thousands of lines.
    ui_->Memo1->setUpdatesEnabled(false);
    ui_->Memo1->setPlainText(JoinLines(run.Report()));
    ui_->Memo1->setUpdatesEnabled(true);
}

platform::FontChoice TFormLog::MemoFont() const {
    const QFont font = ui_->Memo1->font();
    const int size = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
    return {font.family().toStdString(), size};
}

void TFormLog::ApplyMemoFont(const platform::FontChoice& choice) {
    // A stored font may be damaged; what it lacks stays as it is.
    QFont font = ui_->Memo1->font();
    if (!choice.name.empty()) font.setFamily(QString::fromStdString(choice.name));
    if (choice.size > 0) font.setPointSize(choice.size);
    ui_->Memo1->setFont(font);
}
