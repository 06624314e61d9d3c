#pragma once
// Parity settings of a port; a change re-applies the port's line settings.

#include "serial/serial_types.h"

class TCustomSerialPort;

class TSerialParity {
  public:
    explicit TSerialParity(TCustomSerialPort* port = nullptr) : FComPort(port) {}
    TSerialParity(const TSerialParity&) = delete;
    TSerialParity& operator=(const TSerialParity&) = delete;

    TParityBits Bits() const { return FBits; }
    bool Check() const { return FCheck; }
    bool Replace() const { return FReplace; }
    char ReplaceChar() const { return FReplaceChar; }
    void SetBits(TParityBits value);
    void SetCheck(bool value);
    void SetReplace(bool value);
    void SetReplaceChar(char value);

    // Copies every field, without re-applying.
    void Assign(const TSerialParity& source);

  private:
    void Changed();

    TCustomSerialPort* FComPort;
    TParityBits FBits = prNone;
    bool FCheck = false;
    bool FReplace = false;
    char FReplaceChar = 0;
};
