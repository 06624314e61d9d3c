#include "chart/qt/qt_input_map.h"

namespace chart_qt {

TShiftState ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

std::optional<TMouseButton> Button(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return TMouseButton::mbLeft;
        case Qt::RightButton:
            return TMouseButton::mbRight;
        case Qt::MiddleButton:
            return TMouseButton::mbMiddle;
        default:
            return std::nullopt;
    }
}

chart::TKey KeyCode(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    switch (key) {
        case Qt::Key_Left:
            return chart::keys::kLeft;
        case Qt::Key_Up:
            return chart::keys::kUp;
        case Qt::Key_Right:
            return chart::keys::kRight;
        case Qt::Key_Down:
            return chart::keys::kDown;
        case Qt::Key_Asterisk:
            return keypad ? chart::keys::kMultiply : 0;
        case Qt::Key_Plus:
            return keypad ? chart::keys::kAdd : 0;
        case Qt::Key_Minus:
            return keypad ? chart::keys::kSubtract : 0xBD;
        case Qt::Key_Backspace:
            return 0x08;
        case Qt::Key_Tab:
            return 0x09;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 0x0D;
        case Qt::Key_Shift:
            return 0x10;
        case Qt::Key_Control:
            return 0x11;
        case Qt::Key_Alt:
            return 0x12;
        case Qt::Key_Escape:
            return 0x1B;
        case Qt::Key_Space:
            return 0x20;
        case Qt::Key_PageUp:
            return 0x21;
        case Qt::Key_PageDown:
            return 0x22;
        case Qt::Key_End:
            return 0x23;
        case Qt::Key_Home:
            return 0x24;
        case Qt::Key_Insert:
            return 0x2D;
        case Qt::Key_Delete:
            return 0x2E;
        default:
            break;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<chart::TKey>(keypad ? 0x60 + (key - Qt::Key_0) : key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<chart::TKey>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<chart::TKey>(0x70 + (key - Qt::Key_F1));
    return 0;
}

}  // namespace chart_qt
