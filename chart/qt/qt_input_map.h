#pragma once
// Qt input in the chart's terms: shift state, buttons and virtual key codes.

#include <QKeyEvent>
#include <QMouseEvent>
#include <optional>

#include "chart/chart_input.h"

namespace chart_qt {

TShiftState ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
std::optional<TMouseButton> Button(Qt::MouseButton button);
// The virtual key code of a Qt key event; 0 for keys without one.
chart::TKey KeyCode(const QKeyEvent& event);

}  // namespace chart_qt
