#include "serial/serial_parity.h"

#include "serial/serial_port.h"

void TSerialParity::Changed() {
    if (FComPort) FComPort->ApplyLineSettings();
}

void TSerialParity::SetBits(TParityBits value) {
    if (value == FBits) return;
    FBits = value;
    Changed();
}

void TSerialParity::SetCheck(bool value) {
    if (value == FCheck) return;
    FCheck = value;
    Changed();
}

void TSerialParity::SetReplace(bool value) {
    if (value == FReplace) return;
    FReplace = value;
    Changed();
}

void TSerialParity::SetReplaceChar(char value) {
    if (value == FReplaceChar) return;
    FReplaceChar = value;
    Changed();
}

void TSerialParity::Assign(const TSerialParity& source) {
    FBits = source.FBits;
    FCheck = source.FCheck;
    FReplace = source.FReplace;
    FReplaceChar = source.FReplaceChar;
}
