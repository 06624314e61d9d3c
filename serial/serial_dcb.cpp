#include "serial/serial_dcb.h"

#include "serial/serial_port.h"

SerialDcb MakeDcb(const TCustomSerialPort& port) {
    const TSerialParity& parity = port.Parity();
    const TSerialFlowControl& flow = port.FlowControl();
    SerialDcb dcb;
    dcb.DCBlength = 28;
    dcb.BaudRate = static_cast<std::uint32_t>(
        port.BaudRate() == brCustom ? port.CustomBaudRate() : BaudRateValue(port.BaudRate()));
    dcb.fBinary = 1;
    dcb.fParity = parity.Check();
    dcb.fOutxCtsFlow = flow.OutCTSFlow();
    dcb.fOutxDsrFlow = flow.OutDSRFlow();
    dcb.fDtrControl = static_cast<std::uint8_t>(flow.ControlDTR());
    dcb.fDsrSensitivity = flow.DSRSensitivity();
    dcb.fTXContinueOnXoff = flow.TxContinueOnXoff();
    dcb.fOutX = flow.XonXoffOut();
    dcb.fInX = flow.XonXoffIn();
    dcb.fErrorChar = parity.Check() && parity.Replace();
    dcb.fNull = port.DiscardNull();
    dcb.fRtsControl = static_cast<std::uint8_t>(flow.ControlRTS());
    dcb.fAbortOnError = 0;
    dcb.XonLim = static_cast<std::uint16_t>(port.Buffer().InputSize() / 4);
    dcb.XoffLim = dcb.XonLim;
    dcb.ByteSize = static_cast<std::uint8_t>(5 + static_cast<int>(port.DataBits()));
    dcb.Parity = static_cast<std::uint8_t>(parity.Bits());
    dcb.StopBits = static_cast<std::uint8_t>(port.StopBits());
    dcb.XonChar = flow.XonChar();
    dcb.XoffChar = flow.XoffChar();
    dcb.ErrorChar = dcb.fErrorChar ? parity.ReplaceChar() : 0;
    dcb.EvtChar = port.EventChar();
    return dcb;
}

SerialCommTimeouts MakeCommTimeouts(const TCustomSerialPort& port) {
    const TSerialTimeouts& t = port.Timeouts();
    // -1 becomes the all-ones value.
    return {static_cast<std::uint32_t>(t.ReadInterval()),
            static_cast<std::uint32_t>(t.ReadTotalMultiplier()),
            static_cast<std::uint32_t>(t.ReadTotalConstant()),
            static_cast<std::uint32_t>(t.WriteTotalMultiplier()),
            static_cast<std::uint32_t>(t.WriteTotalConstant())};
}
