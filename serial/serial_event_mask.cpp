#include "serial/serial_event_mask.h"

#include <array>
#include <utility>

#include "platform/serial_device_flags.h"

namespace {

constexpr std::array<std::pair<TSerialEvent, std::uint16_t>, 10> kEventFlags = {{
    {evRxChar, serial_event::kRxChar},
    {evTxEmpty, serial_event::kTxEmpty},
    {evRxFlag, serial_event::kRxFlag},
    {evRing, serial_event::kRing},
    {evBreak, serial_event::kBreak},
    {evCTS, serial_event::kCts},
    {evDSR, serial_event::kDsr},
    {evError, serial_event::kErr},
    {evRLSD, serial_event::kRlsd},
    {evRx80Full, serial_event::kRx80Full},
}};

}  // namespace

std::uint16_t EventsToMask(TSerialEvents events) {
    std::uint16_t mask = 0;
    for (const auto& [event, flag] : kEventFlags)
        if (events.Contains(event)) mask = static_cast<std::uint16_t>(mask | flag);
    return mask;
}

TSerialEvents MaskToEvents(std::uint16_t mask) {
    TSerialEvents events;
    for (const auto& [event, flag] : kEventFlags)
        if (mask & flag) events.Include(event);
    return events;
}

TSerialErrors LineErrorsToSet(unsigned e, bool parity_check) {
    TSerialErrors errors;
    if (e & line_error::kFrame) errors.Include(ceFrame);
    if ((e & line_error::kParity) && parity_check) errors.Include(ceRxParity);
    if (e & line_error::kOverrun) errors.Include(ceOverrun);
    if (e & line_error::kRxOver) errors.Include(ceRxOver);
    if (e & line_error::kTxFull) errors.Include(ceTxFull);
    if (e & line_error::kBreak) errors.Include(ceBreak);
    if (e & line_error::kIo) errors.Include(ceIO);
    if (e & line_error::kMode) errors.Include(ceMode);
    return errors;
}

TLineSignals ModemLinesToSet(unsigned lines) {
    TLineSignals signals;
    if (lines & modem_line::kCts) signals.Include(lnCTS);
    if (lines & modem_line::kDsr) signals.Include(lnDSR);
    if (lines & modem_line::kRing) signals.Include(lnRing);
    if (lines & modem_line::kRlsd) signals.Include(lnRLSD);
    return signals;
}
