#pragma once
// Driver queue sizes of a port in bytes; a change re-applies the port's queue sizes.

#include <cstdint>

class TCustomSerialPort;

class TSerialBuffer {
  public:
    explicit TSerialBuffer(TCustomSerialPort* port = nullptr) : FComPort(port) {}
    TSerialBuffer(const TSerialBuffer&) = delete;
    TSerialBuffer& operator=(const TSerialBuffer&) = delete;

    std::int32_t InputSize() const { return FInputSize; }
    std::int32_t OutputSize() const { return FOutputSize; }
    // A positive odd size is stored one less.
    void SetInputSize(std::int32_t value);
    void SetOutputSize(std::int32_t value);

    void Assign(const TSerialBuffer& source);

  private:
    void Store(std::int32_t& field, std::int32_t value);

    TCustomSerialPort* FComPort;
    std::int32_t FInputSize = 1024;
    std::int32_t FOutputSize = 1024;
};
