#pragma once
// Conversions between the component's sets and the device's flags.

#include <cstdint>

#include "serial/serial_types.h"

// The order in which the events of one wake-up are raised.
inline constexpr TSerialEvent kEventDispatchOrder[] = {
    evError, evRxChar, evTxEmpty, evBreak, evRing, evCTS, evDSR, evRxFlag, evRLSD, evRx80Full};

std::uint16_t EventsToMask(TSerialEvents events);
TSerialEvents MaskToEvents(std::uint16_t mask);
// A parity error counts only when the port checks parity.
TSerialErrors LineErrorsToSet(unsigned line_errors, bool parity_check);
TLineSignals ModemLinesToSet(unsigned lines);
