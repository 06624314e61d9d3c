#pragma once
// The window system's 00BBGGRR colour value and QColor, channel by channel (QColor's own
// integer form is 00RRGGBB, so the two must never be passed through as numbers).

#include <QColor>

#include "platform/canvas.h"

namespace platform {

inline QColor ToQColor(TColor color) {
    return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

inline TColor FromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return MakeColor(rgb.red(), rgb.green(), rgb.blue());
}

}  // namespace platform
