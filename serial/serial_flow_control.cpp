#include "serial/serial_flow_control.h"

#include "serial/serial_port.h"

void TSerialFlowControl::Changed() {
    if (FComPort) FComPort->ApplyLineSettings();
}

template <typename T>
void TSerialFlowControl::Store(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
}

void TSerialFlowControl::SetOutCTSFlow(bool value) {
    Store(FOutCTSFlow, value);
}
void TSerialFlowControl::SetOutDSRFlow(bool value) {
    Store(FOutDSRFlow, value);
}
void TSerialFlowControl::SetControlDTR(TDTRFlowControl value) {
    Store(FControlDTR, value);
}
void TSerialFlowControl::SetControlRTS(TRTSFlowControl value) {
    Store(FControlRTS, value);
}
void TSerialFlowControl::SetXonXoffOut(bool value) {
    Store(FXonXoffOut, value);
}
void TSerialFlowControl::SetXonXoffIn(bool value) {
    Store(FXonXoffIn, value);
}
void TSerialFlowControl::SetDSRSensitivity(bool value) {
    Store(FDSRSensitivity, value);
}
void TSerialFlowControl::SetTxContinueOnXoff(bool value) {
    Store(FTxContinueOnXoff, value);
}
void TSerialFlowControl::SetXonChar(char value) {
    Store(FXonChar, value);
}
void TSerialFlowControl::SetXoffChar(char value) {
    Store(FXoffChar, value);
}

TFlowControl TSerialFlowControl::FlowControl() const {
    const bool xon = FXonXoffIn && FXonXoffOut;
    const bool no_xon = !FXonXoffIn && !FXonXoffOut;
    if (FControlRTS == rtsHandshake && FOutCTSFlow && no_xon) return fcHardware;
    if (FControlRTS == rtsDisable && !FOutCTSFlow && xon) return fcSoftware;
    if (FControlRTS == rtsDisable && !FOutCTSFlow && no_xon) return fcNone;
    return fcCustom;
}

void TSerialFlowControl::SetFlowControl(TFlowControl value) {
    if (value != fcCustom) {
        FControlRTS = rtsDisable;
        FOutCTSFlow = false;
        FXonXoffIn = false;
        FXonXoffOut = false;
        if (value == fcHardware) {
            FControlRTS = rtsHandshake;
            FOutCTSFlow = true;
        } else if (value == fcSoftware) {
            FXonXoffIn = true;
            FXonXoffOut = true;
        }
    }
    Changed();
}

void TSerialFlowControl::Assign(const TSerialFlowControl& source) {
    FOutCTSFlow = source.FOutCTSFlow;
    FOutDSRFlow = source.FOutDSRFlow;
    FControlDTR = source.FControlDTR;
    FControlRTS = source.FControlRTS;
    FXonXoffOut = source.FXonXoffOut;
    FXonXoffIn = source.FXonXoffIn;
    FDSRSensitivity = source.FDSRSensitivity;
    FTxContinueOnXoff = source.FTxContinueOnXoff;
    FXonChar = source.FXonChar;
    FXoffChar = source.FXoffChar;
}
