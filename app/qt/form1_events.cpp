// The toolkit's events that reach the main window: panel and label clicks, the limit edits'
// keys and focus, clicks in the display, the mouse leaving the chart; and how failures of
// the handlers are reported.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include "app/qt/form1.h"
#include "app/qt/form_hint.h"
#include "ui_form1.h"

namespace {

bool LeavesByUser(Qt::FocusReason reason) {
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason ||
           reason == Qt::OtherFocusReason;
}

}  // namespace

void TForm1::ReportError(const std::string& message) {
    services_.dialogs.Message(this, message, windowTitle().toStdString(),
                              platform::MessageButtons::Ok, platform::MessageIcon::Error);
}

void TForm1::Warn(const Warning& warning) {
    warnings_->Warn(warning);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && edit->property("tag").toInt() == 10) {
        if (type == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                UserAction([&] { EditT1HKeyDown(*edit); });
                return true;
            }
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                return false;
            bool eaten = false;
            UserAction([&] { eaten = LimitEditKeyPress(*edit, key->text()); });
            return eaten;
        }
        if (type == QEvent::FocusOut && LeavesByUser(static_cast<QFocusEvent*>(event)->reason()))
            LimitEditFocusOut(*edit);
        return false;
    }
    if (edit && type == QEvent::KeyPress &&
        (edit == ui_->EdOfsetNagreCurve || edit == ui_->EdHeightNagreCurve)) {
        // A typed point is a comma.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QStringLiteral(".")) {
            edit->insert(QStringLiteral(","));
            return true;
        }
        return false;
    }
    if (type == QEvent::MouseButtonDblClick &&
        (watched == ui_->Panel1 || watched == ui_->Panel2 || watched == ui_->Panel3)) {
        UserAction([&] { Panel1DblClick(*static_cast<QWidget*>(watched)); });
        return true;
    }
    if (type == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui_->LbT3HM) UserAction([&] { LbT3HMClick(); });
        if (watched == ui_->Memo1->viewport()) UserAction([&] { Memo1Click(); });
        if (watched == ui_->LbColorT1) UserAction([&] { LbColorT1Click(); });
        if (watched == ui_->LbColorT2) UserAction([&] { LbColorT2Click(); });
        if (watched == ui_->LbColorT3) UserAction([&] { LbColorT3Click(); });
        if (watched == ui_->LbHmColor) UserAction([&] { LbHmColorClick(); });
        if (watched == ui_->LbColorFon) UserAction([&] { LbColorFonClick(); });
        if (watched == ui_->LbGirdColor) UserAction([&] { LbGirdColorClick(); });
        if (watched == ui_->Label1) UserAction([&] { Label1Click(); });
        return false;
    }
    if ((type == QEvent::MouseMove && watched == ui_->centralwidget) ||
        (type == QEvent::Leave && watched == ui_->GraphM1))
        FormMouseMove();
    return QMainWindow::eventFilter(watched, event);
}
