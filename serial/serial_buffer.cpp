#include "serial/serial_buffer.h"

#include "serial/serial_port.h"

void TSerialBuffer::Store(std::int32_t& field, std::int32_t value) {
    if (value > 0 && value % 2 != 0) --value;
    if (field == value) return;
    field = value;
    if (FComPort) FComPort->ApplyBufferSettings();
}

void TSerialBuffer::SetInputSize(std::int32_t value) {
    Store(FInputSize, value);
}
void TSerialBuffer::SetOutputSize(std::int32_t value) {
    Store(FOutputSize, value);
}

void TSerialBuffer::Assign(const TSerialBuffer& source) {
    FInputSize = source.FInputSize;
    FOutputSize = source.FOutputSize;
}
