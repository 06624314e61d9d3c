#include "app/qt/form_hint.h"

#include "ui_form_hint.h"

TFormHint::TFormHint(QWidget* parent)
    // A tool-tip window: a Qt::Tool window would take the activation, and the limit edit
    // being typed in would lose its focus.
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                          Qt::WindowDoesNotAcceptFocus),
      ui_(std::make_unique<Ui::TFormHint>()) {
    ui_->setupUi(this);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowOpacity(153.0 / 255.0);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);
}

TFormHint::~TFormHint() = default;

void TFormHint::SetTexts(const QString& time, const QString& t1, const QString& t2,
                         const QString& t3) {
    ui_->Label4->setText(time);
    ui_->Label1->setText(t1);
    ui_->Label2->setText(t2);
    ui_->Label3->setText(t3);
    adjustSize();
}
