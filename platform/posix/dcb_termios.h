#pragma once
// The line settings of a DCB as Linux terminal settings (termios2, so that any rate can be
// set). Includes the kernel's termios definitions: do not include <termios.h> beside it.

#include <asm/termbits.h>

#include "platform/serial_device_settings.h"

// Raw input and output: no line editing, echo, signals, translation or output processing;
// reads return as soon as a byte is there. The line itself is left as it is.
void MakeTermiosRaw(termios2& t);

// Rewrites `t` (the device's current settings) for the DCB: raw input and output, receiver on,
// modem status lines ignored, the rate, data bits, parity, stop bits and flow control. Returns
// 0, or EINVAL for settings no terminal can take.
int DcbToTermios(const SerialDcb& dcb, termios2& t);

// Whether the device kept what was asked of it (a pseudo-terminal silently forces 8 data bits
// without parity; a UART may round the rate a little).
bool TermiosKept(const termios2& wanted, const termios2& got);

// The DTR and RTS levels that the DCB's line control asks for.
struct ControlLines {
    bool dtr = false;
    bool rts = false;
};
ControlLines ControlLinesFor(const SerialDcb& dcb);
