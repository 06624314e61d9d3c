#pragma once
// Our record of one transfer: its kind, the device's state of the read, and an owned copy of
// the data for writes (none for reads).

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/serial_read_op.h"
#include "serial/serial_types.h"

struct TSerialRequest {
    TRequestKind Kind = rkWrite;
    SerialReadOp Op;
    bool Started = false;  // the device has taken the transfer
    std::vector<std::uint8_t> Data;
};

inline std::unique_ptr<TSerialRequest> InitRequest() {
    return std::make_unique<TSerialRequest>();
}
inline void FreeRequest(std::unique_ptr<TSerialRequest>& request) {
    request.reset();
}
