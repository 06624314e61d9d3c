#include "chart/qt/graph_m_widget.h"

#include <QFocusEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include "chart/qt/qt_input_map.h"
#include "platform/qt/qt_canvas.h"

GraphMWidget::GraphMWidget(QWidget* parent) : QWidget(parent), chart_(this) {
    // The chart paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(chart_.TabStop() ? Qt::TabFocus : Qt::NoFocus);
    setStyleSheet(QStringLiteral("QToolTip { background-color: white; color: black; }"));
    resize(TGraphM::kDefaultWidth, TGraphM::kDefaultHeight);
    chart_.SetBounds(width(), height());
}

void GraphMWidget::SetTabStop(bool value) {
    chart_.SetTabStop(value);
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

QImage GraphMWidget::PaintImage() {
    return Repaint() ? image_ : QImage();
}

bool GraphMWidget::Repaint() {
    chart_.SetBounds(width(), height());
    // Every paint covers every pixel, so the image of the last one is only reused, never
    // cleared: a fresh image each time costs more than drawing the curves.
    if (image_.size() != size()) image_ = QImage(size(), QImage::Format_RGB32);
    if (image_.isNull()) return false;
    QtCanvas canvas(image_, &text_cache_);
    chart_.Paint(canvas);
    return true;
}

void GraphMWidget::paintEvent(QPaintEvent*) {
    if (!Repaint()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void GraphMWidget::resizeEvent(QResizeEvent* e) {
    chart_.SetBounds(width(), height());
    QWidget::resizeEvent(e);
}

bool GraphMWidget::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(e);
        ShowHintAt(help->pos(), help->globalPos());
        return true;
    }
    return QWidget::event(e);
}

void GraphMWidget::ShowHintAt(const QPoint& local, const QPoint& global) {
    const auto text = chart_.HintText({local.x(), local.y()});
    if (!text) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(global, QString::fromStdString(*text), this, rect());
}

void GraphMWidget::mousePressEvent(QMouseEvent* e) {
    const auto button = chart_qt::Button(e->button());
    if (!button) return;
    const QPoint p = e->position().toPoint();
    chart_.MouseDown(*button, chart_qt::ShiftState(e->modifiers(), e->buttons()), p.x(), p.y());
}

void GraphMWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    chart_.MouseMove(chart_qt::ShiftState(e->modifiers(), e->buttons()), p.x(), p.y());
    // A shown hint follows the pointer from point to point.
    if (QToolTip::isVisible()) ShowHintAt(p, e->globalPosition().toPoint());
}

void GraphMWidget::mouseReleaseEvent(QMouseEvent* e) {
    const auto button = chart_qt::Button(e->button());
    if (!button) return;
    const QPoint p = e->position().toPoint();
    chart_.MouseUp(*button, chart_qt::ShiftState(e->modifiers(), e->buttons()), p.x(), p.y());
}

void GraphMWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    const auto button = chart_qt::Button(e->button());
    if (!button) return;
    const QPoint p = e->position().toPoint();
    chart_.DblClick();
    chart_.MouseDown(*button, chart_qt::ShiftState(e->modifiers(), e->buttons()) | ssDouble, p.x(),
                     p.y());
}

void GraphMWidget::wheelEvent(QWheelEvent* e) {
    const int delta = e->angleDelta().y();
    if (delta == 0) {
        e->ignore();
        return;
    }
    const QPoint p = e->position().toPoint();
    chart_.MouseWheel(delta, chart_qt::ShiftState(e->modifiers(), e->buttons()), p.x(), p.y());
    e->accept();
}

void GraphMWidget::keyPressEvent(QKeyEvent* e) {
    const chart::TKey code = chart_qt::KeyCode(*e);
    chart::TKey key = code;
    chart_.KeyDown(key, chart_qt::ShiftState(e->modifiers(), Qt::NoButton));
    const bool own = TGraphM::WantsKey(code) || code == chart::keys::kMultiply ||
                     code == chart::keys::kAdd || code == chart::keys::kSubtract;
    if (own) {
        e->accept();
    } else {
        QWidget::keyPressEvent(e);
    }
}

void GraphMWidget::keyReleaseEvent(QKeyEvent* e) {
    chart::TKey key = chart_qt::KeyCode(*e);
    chart_.KeyUp(key, chart_qt::ShiftState(e->modifiers(), Qt::NoButton));
    QWidget::keyReleaseEvent(e);
}

void GraphMWidget::focusInEvent(QFocusEvent* e) {
    chart_.FocusChanged();
    QWidget::focusInEvent(e);
}

void GraphMWidget::focusOutEvent(QFocusEvent* e) {
    chart_.FocusChanged();
    QWidget::focusOutEvent(e);
}

void GraphMWidget::RequestPaint() {
    update();
}

bool GraphMWidget::Focused() const {
    return hasFocus();
}

bool GraphMWidget::CanFocus() const {
    return isVisible() && isEnabled();
}

void GraphMWidget::TakeFocus() {
    setFocus(Qt::MouseFocusReason);
}
