// Alarm supervision: the limit edits, the alarm and sound timers and the acknowledgements.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "app/limit_edits.h"
#include "app/qt/form1.h"
#include "app/qt/widget_colors.h"
#include "common/text_parse.h"
#include "ui_form1.h"

namespace {

constexpr int kLimitEditTag = 10;

bool IsTemperatureEdit(const Ui::TForm1& ui, const QLineEdit& edit) {
    return &edit == ui.EditT1H || &edit == ui.EditT1L || &edit == ui.EditT2H || &edit == ui.EditT2L;
}

}  // namespace

void TForm1::WireLimitEdits() {
    for (QLineEdit* edit :
         {ui_->EditT1H, ui_->EditT1L, ui_->EditT2H, ui_->EditT2L, ui_->EditT3H, ui_->EditT3L}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this,
                [this] { UserAction([&] { EditT1HChange(); }); });
    }
}

void TForm1::EditT1HChange() {
    const LimitEditTexts texts = {
        ui_->EditT1H->text().toStdString(), ui_->EditT1L->text().toStdString(),
        ui_->EditT2H->text().toStdString(), ui_->EditT2L->text().toStdString(),
        ui_->EditT3H->text().toStdString(), ui_->EditT3L->text().toStdString()};
    AlarmLimits limits = engine_->Limits();
    RecomputeLimits(texts, limits);
    engine_->SetLimits(limits);
}

void TForm1::EditT1HExit(QLineEdit& edit) {
    const TemperatureExit exit = LeaveTemperatureEdit(edit.text().toStdString());
    edit.setText(QString::fromStdString(exit.text));
    if (exit.conversion_error) {
        ReportError(*exit.conversion_error);
        return;
    }
    if (exit.range_message) {
        services_.dialogs.Message(this, *exit.range_message, windowTitle().toStdString(),
                                  platform::MessageButtons::Ok, platform::MessageIcon::None);
        edit.setText(QString::fromUtf8(kTemperatureResetText.data(),
                                       static_cast<int>(kTemperatureResetText.size())));
    }
}

void TForm1::EditT3HExit(QLineEdit& edit) {
    const std::optional<std::string> message = LeaveHumidityEdit(edit.text().toStdString());
    if (!message) return;
    services_.dialogs.Message(this, *message, windowTitle().toStdString(),
                              platform::MessageButtons::Ok, platform::MessageIcon::None);
    edit.setText(
        QString::fromUtf8(kHumidityResetText.data(), static_cast<int>(kHumidityResetText.size())));
}

void TForm1::EditT1HKeyDown(QLineEdit& edit) {
    (void)edit;
    // The limit edits are the window's edits tagged 10, in creation order.
    std::vector<QLineEdit*> edits;
    for (QLineEdit* e : ui_->centralwidget->findChildren<QLineEdit*>())
        if (e->property("tag").toInt() == kLimitEditTag) edits.push_back(e);
    std::size_t focused = edits.size();
    for (std::size_t i = 0; i < edits.size(); ++i) {
        edits[i]->setPalette(QPalette());
        if (edits[i]->hasFocus()) focused = i;
    }
    if (edits.empty()) return;
    const std::size_t next = focused + 1 < edits.size() ? focused + 1 : 0;
    edits[next]->setFocus(Qt::OtherFocusReason);
}

bool TForm1::LimitEditKeyPress(QLineEdit& edit, const QString& typed) {
    // Printable text only: arrows, Delete, Backspace and shortcuts pass unfiltered.
    if (typed.isEmpty() || typed.at(0).unicode() < 32 || typed.at(0).unicode() == 127) return false;
    const char16_t u = typed.at(0).unicode();
    const char key = u < 128 ? static_cast<char>(u) : '?';
    const std::optional<char> accepted =
        IsTemperatureEdit(*ui_, edit)
            ? TemperatureKeyFilter(key, edit.text().toStdString(), edit.hasSelectedText())
            : HumidityKeyFilter(key);
    if (accepted && *accepted == key) return false;  // typed as it is
    if (accepted) edit.insert(QString(QChar(*accepted)));
    return true;
}

void TForm1::LimitEditFocusOut(QLineEdit& edit) {
    // A message box opened by one exit handler takes the focus from the next edit: that is
    // not the user leaving it.
    if (in_exit_handler_) return;
    in_exit_handler_ = true;
    UserAction([&] {
        if (IsTemperatureEdit(*ui_, edit))
            EditT1HExit(edit);
        else
            EditT3HExit(edit);
    });
    in_exit_handler_ = false;
}

void TForm1::TimerAlarmTimer() {
    AlarmDisplayTick(Alarms(), Settings(), *this);
}

void TForm1::TimerAlarmSoundTimer() {
    if (AlarmSoundDue(Alarms(), Settings())) services_.sound.Play(window_settings_.Sound);
}

void TForm1::Panel1DblClick(QWidget& sender) {
    if (&sender == ui_->Panel1) engine_->Acknowledge(AlarmChannel::T1);
    if (&sender == ui_->Panel2) engine_->Acknowledge(AlarmChannel::T2);
    if (&sender == ui_->Panel3) engine_->Acknowledge(AlarmChannel::HM);
}

void TForm1::LbT3HMClick() {
    Panel1DblClick(*ui_->Panel3);
}

void TForm1::N21Click() {
    engine_->AcknowledgeAll();
}

void TForm1::ShowAlarmBalloon(const std::string& title, const std::string& text) {
    Warn({Severity::kWarning, title, text, kAlarmWarningSeconds});
}

void TForm1::FlashTaskbar() {
    (services_.alert ? *services_.alert : *own_alert_).Flash();
}

QWidget* TForm1::Panel(AlarmChannel channel) const {
    switch (channel) {
        case AlarmChannel::T1:
            return ui_->Panel1;
        case AlarmChannel::T2:
            return ui_->Panel2;
        case AlarmChannel::HM:
            break;
    }
    return ui_->Panel3;
}

bool TForm1::PanelRed(AlarmChannel channel) const {
    const QWidget* panel = Panel(channel);
    return panel->palette().color(panel->backgroundRole()) == QColor(255, 0, 0);
}

void TForm1::SetPanelRed(AlarmChannel channel, bool red) {
    QWidget* panel = Panel(channel);
    const QColor color = red ? QColor(255, 0, 0) : palette().color(QPalette::Button);
    if (panel->palette().color(panel->backgroundRole()) != color) SetBackground(*panel, color);
}
