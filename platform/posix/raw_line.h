#pragma once
// Raw mode for terminals, for callers that cannot include the kernel's termios definitions
// beside <termios.h>. Both return 0 or an errno value.

#include <cstdint>

// No echo, line editing, signals, input translation or output processing; the rate, the
// frame and the flow control stay as they are. A terminal in the kernel's default mode would
// echo what arrives back to the sender and hold bytes back until a line end.
int MakeLineRaw(int fd);

// Raw, 8 data bits, no parity, one stop bit, receiver on, at any rate (rates without a
// standard constant are set as a custom rate). EINVAL when the device does not keep it.
int SetRawLineAt(int fd, std::uint32_t baud);
