#pragma once
// Flow-control settings of a port, with the derived mode FlowControl; a change re-applies the
// port's line settings.

#include "serial/serial_types.h"

class TCustomSerialPort;

class TSerialFlowControl {
  public:
    explicit TSerialFlowControl(TCustomSerialPort* port = nullptr) : FComPort(port) {}
    TSerialFlowControl(const TSerialFlowControl&) = delete;
    TSerialFlowControl& operator=(const TSerialFlowControl&) = delete;

    bool OutCTSFlow() const { return FOutCTSFlow; }
    bool OutDSRFlow() const { return FOutDSRFlow; }
    TDTRFlowControl ControlDTR() const { return FControlDTR; }
    TRTSFlowControl ControlRTS() const { return FControlRTS; }
    bool XonXoffOut() const { return FXonXoffOut; }
    bool XonXoffIn() const { return FXonXoffIn; }
    bool DSRSensitivity() const { return FDSRSensitivity; }
    bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
    char XonChar() const { return FXonChar; }
    char XoffChar() const { return FXoffChar; }

    void SetOutCTSFlow(bool value);
    void SetOutDSRFlow(bool value);
    void SetControlDTR(TDTRFlowControl value);
    void SetControlRTS(TRTSFlowControl value);
    void SetXonXoffOut(bool value);
    void SetXonXoffIn(bool value);
    void SetDSRSensitivity(bool value);
    void SetTxContinueOnXoff(bool value);
    void SetXonChar(char value);
    void SetXoffChar(char value);

    // The named mode the RTS, CTS and Xon/Xoff fields amount to (DTR and DSR take no part).
    TFlowControl FlowControl() const;
    // A named mode rewrites those fields; fcCustom keeps them. Always re-applies.
    void SetFlowControl(TFlowControl value);

    // Copies every field, without re-applying.
    void Assign(const TSerialFlowControl& source);

  private:
    template <typename T>
    void Store(T& field, T value);
    void Changed();

    TCustomSerialPort* FComPort;
    bool FOutCTSFlow = false;
    bool FOutDSRFlow = false;
    TDTRFlowControl FControlDTR = dtrDisable;
    TRTSFlowControl FControlRTS = rtsDisable;
    bool FXonXoffOut = false;
    bool FXonXoffIn = false;
    bool FDSRSensitivity = false;
    bool FTxContinueOnXoff = false;
    char FXonChar = 17;
    char FXoffChar = 19;
};
