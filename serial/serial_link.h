#pragma once
// A notification link: a companion component (the connection lamp, say) fills the slots it
// wants and registers the link with a port, which calls the assigned slots.

#include <cstdint>
#include <functional>

class TCustomSerialPort;

struct TSerialLink {
    using Signal = std::function<void(TCustomSerialPort& port, bool on)>;
    using Notice = std::function<void(TCustomSerialPort& port)>;
    using Data = std::function<void(TCustomSerialPort& port, const std::uint8_t* bytes, int count)>;

    Signal OnConnChange;  // after open (on), after close (off)
    Data OnRxData;        // received bytes read on behalf of the links
    Data OnTxData;        // a completed request carried a data copy
    Notice OnTxDrained;   // output queue empty
    Notice OnRxFlagChar;  // event character received
    Signal OnCTSSignal;
    Signal OnDSRSignal;
    Signal OnRLSDSignal;
    Notice OnRingSignal;
    Signal OnTxActivity;  // off when the output queue empties
    Signal
        OnRxActivity;  // on when bytes wait at a receive event, off when a read empties the queue
};
