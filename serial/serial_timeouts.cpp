#include "serial/serial_timeouts.h"

#include "serial/serial_port.h"

void TSerialTimeouts::Store(std::int32_t& field, std::int32_t value) {
    if (field == value) return;
    field = value;
    if (FComPort) FComPort->ApplyTimeoutSettings();
}

void TSerialTimeouts::SetReadInterval(std::int32_t value) {
    Store(FReadInterval, value);
}
void TSerialTimeouts::SetReadTotalMultiplier(std::int32_t value) {
    Store(FReadTotalMultiplier, value);
}
void TSerialTimeouts::SetReadTotalConstant(std::int32_t value) {
    Store(FReadTotalConstant, value);
}
void TSerialTimeouts::SetWriteTotalMultiplier(std::int32_t value) {
    Store(FWriteTotalMultiplier, value);
}
void TSerialTimeouts::SetWriteTotalConstant(std::int32_t value) {
    Store(FWriteTotalConstant, value);
}

void TSerialTimeouts::Assign(const TSerialTimeouts& source) {
    FReadInterval = source.FReadInterval;
    FReadTotalMultiplier = source.FReadTotalMultiplier;
    FReadTotalConstant = source.FReadTotalConstant;
    FWriteTotalMultiplier = source.FWriteTotalMultiplier;
    FWriteTotalConstant = source.FWriteTotalConstant;
}
