#pragma once
// Colours between the window system's 00BBGGRR values and QColor (which reads 00RRGGBB), and
// the colours of the window's controls.

#include <QColor>
#include <QWidget>

#include "platform/canvas.h"

inline QColor ToQColor(TColor c) {
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

inline TColor FromQColor(const QColor& c) {
    return MakeColor(c.red(), c.green(), c.blue());
}

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
