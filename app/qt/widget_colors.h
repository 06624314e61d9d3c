#pragma once
// The colours of the window's controls.

#include <QColor>
#include <QWidget>

#include "platform/qt/color_conversion.h"

using platform::ToQColor;

// The background of a panel or frame (autoFillBackground).
inline void SetBackground(QWidget& w, const QColor& color) {
    QPalette p = w.palette();
    p.setColor(w.backgroundRole(), color);
    w.setPalette(p);
}

// The text colour of a label.
inline void SetTextColor(QWidget& w, const QColor& color) {
    QPalette p = w.palette();
    p.setColor(w.foregroundRole(), color);
    w.setPalette(p);
}
