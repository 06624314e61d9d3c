#pragma once
// Read and write time-outs of a port in milliseconds (-1 is the all-ones value); a change
// re-applies the port's time-outs.

#include <cstdint>

class TCustomSerialPort;

class TSerialTimeouts {
  public:
    explicit TSerialTimeouts(TCustomSerialPort* port = nullptr) : FComPort(port) {}
    TSerialTimeouts(const TSerialTimeouts&) = delete;
    TSerialTimeouts& operator=(const TSerialTimeouts&) = delete;

    std::int32_t ReadInterval() const { return FReadInterval; }
    std::int32_t ReadTotalMultiplier() const { return FReadTotalMultiplier; }
    std::int32_t ReadTotalConstant() const { return FReadTotalConstant; }
    std::int32_t WriteTotalMultiplier() const { return FWriteTotalMultiplier; }
    std::int32_t WriteTotalConstant() const { return FWriteTotalConstant; }
    void SetReadInterval(std::int32_t value);
    void SetReadTotalMultiplier(std::int32_t value);
    void SetReadTotalConstant(std::int32_t value);
    void SetWriteTotalMultiplier(std::int32_t value);
    void SetWriteTotalConstant(std::int32_t value);

    void Assign(const TSerialTimeouts& source);

  private:
    void Store(std::int32_t& field, std::int32_t value);

    TCustomSerialPort* FComPort;
    std::int32_t FReadInterval = -1;
    std::int32_t FReadTotalMultiplier = 0;
    std::int32_t FReadTotalConstant = 0;
    std::int32_t FWriteTotalMultiplier = 100;
    std::int32_t FWriteTotalConstant = 1000;
};
