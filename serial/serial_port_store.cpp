// Saving and restoring the port's settings in an INI file.
#include <vector>

#include "common/text_format.h"

#include "serial/serial_port.h"
#include "serial/serial_text.h"

void TCustomSerialPort::SaveSettings(TStoreKind kind, const std::string& location) {
    try {
        if (kind != skIniFile) throw ESerialPort(serial_error::kStoreSettings);
        platform::IniFile ini(location);
        SaveToIniFile(ini);
    } catch (...) {
        throw ESerialPort(serial_error::kStoreSettings);
    }
}

void TCustomSerialPort::RestoreSettings(TStoreKind kind, const std::string& location) {
    bool failed = false;
    BeginSettingsUpdate();
    try {
        if (kind != skIniFile) throw ESerialPort(serial_error::kLoadSettings);
        const platform::IniFile ini(location);
        LoadFromIniFile(ini);
    } catch (...) {
        failed = true;
    }
    try {
        EndSettingsUpdate();
    } catch (...) {
        failed = true;
    }
    if (failed) throw ESerialPort(serial_error::kLoadSettings);
}

void TCustomSerialPort::SaveToIniFile(platform::IniFile& ini) {
    std::vector<platform::IniEntry> entries;
    auto put = [&](const char* key, std::string value) {
        entries.push_back({FName, key, std::move(value)});
    };
    auto put_int = [&](const char* key, std::int32_t value) { put(key, text::FormatInt(value)); };
    if (FStoredGroups.Contains(sgBasic)) {
        put("Port", FPort);
        put("BaudRate", BaudRateToText(FBaudRate));
        if (FBaudRate == brCustom) put_int("CustomBaudRate", FCustomBaudRate);
        put("StopBits", StopBitsToText(FStopBits));
        put("DataBits", DataBitsToText(FDataBits));
        put("Parity", ParityToText(FParity.Bits()));
        put("FlowControl", FlowControlToText(FFlowControl.FlowControl()));
    }
    if (FStoredGroups.Contains(sgOthers)) {
        put("EventChar", CharToText(FEventChar));
        put("DiscardNull", BoolToYesNo(FDiscardNull));
    }
    if (FStoredGroups.Contains(sgParity)) {
        put("Parity.Check", BoolToYesNo(FParity.Check()));
        put("Parity.Replace", BoolToYesNo(FParity.Replace()));
        put("Parity.ReplaceChar", CharToText(FParity.ReplaceChar()));
    }
    if (FStoredGroups.Contains(sgBuffer)) {
        put_int("Buffer.OutputSize", FBuffer.OutputSize());
        put_int("Buffer.InputSize", FBuffer.InputSize());
    }
    if (FStoredGroups.Contains(sgTimeouts)) {
        put_int("Timeouts.ReadInterval", FTimeouts.ReadInterval());
        put_int("Timeouts.ReadTotalConstant", FTimeouts.ReadTotalConstant());
        put_int("Timeouts.ReadTotalMultiplier", FTimeouts.ReadTotalMultiplier());
        put_int("Timeouts.WriteTotalConstant", FTimeouts.WriteTotalConstant());
        put_int("Timeouts.WriteTotalMultiplier", FTimeouts.WriteTotalMultiplier());
    }
    if (FStoredGroups.Contains(sgFlowControl)) {
        const TSerialFlowControl& f = FFlowControl;
        put("FlowControl.ControlRTS", RtsControlToText(f.ControlRTS()));
        put("FlowControl.ControlDTR", DtrControlToText(f.ControlDTR()));
        put("FlowControl.DSRSensitivity", BoolToYesNo(f.DSRSensitivity()));
        put("FlowControl.OutCTSFlow", BoolToYesNo(f.OutCTSFlow()));
        put("FlowControl.OutDSRFlow", BoolToYesNo(f.OutDSRFlow()));
        put("FlowControl.TxContinueOnXoff", BoolToYesNo(f.TxContinueOnXoff()));
        put("FlowControl.XonXoffIn", BoolToYesNo(f.XonXoffIn()));
        put("FlowControl.XonXoffOut", BoolToYesNo(f.XonXoffOut()));
        put("FlowControl.XoffChar", CharToText(f.XoffChar()));
        put("FlowControl.XonChar", CharToText(f.XonChar()));
    }
    if (!entries.empty()) ini.WriteEntries(entries);
}

void TCustomSerialPort::LoadFromIniFile(const platform::IniFile& ini) {
    const std::string& section = FName;
    // Each key defaults to the current value, so a missing key changes nothing.
    auto text = [&](const char* key, const std::string& current) {
        return ini.ReadString(section, key, current);
    };
    auto yes_no = [&](const char* key, bool current) {
        return YesNoToBool(text(key, BoolToYesNo(current)));
    };
    auto character = [&](const char* key, char current) {
        return TextToChar(text(key, CharToText(current)));
    };
    auto integer = [&](const char* key, std::int32_t current) {
        return ini.ReadInteger(section, key, current);
    };
    if (FStoredGroups.Contains(sgBasic)) {
        SetPort(text("Port", FPort));
        const TBaudRate rate = TextToBaudRate(text("BaudRate", BaudRateToText(FBaudRate)));
        SetBaudRate(rate);
        if (rate == brCustom) SetCustomBaudRate(ini.ReadInteger(section, "CustomBaudRate", 9600));
        SetStopBits(TextToStopBits(text("StopBits", StopBitsToText(FStopBits))));
        SetDataBits(TextToDataBits(text("DataBits", DataBitsToText(FDataBits))));
        FParity.SetBits(TextToParity(text("Parity", ParityToText(FParity.Bits()))));
        FFlowControl.SetFlowControl(
            TextToFlowControl(text("FlowControl", FlowControlToText(FFlowControl.FlowControl()))));
    }
    if (FStoredGroups.Contains(sgOthers)) {
        SetEventChar(character("EventChar", FEventChar));
        SetDiscardNull(yes_no("DiscardNull", FDiscardNull));
    }
    if (FStoredGroups.Contains(sgParity)) {
        FParity.SetCheck(yes_no("Parity.Check", FParity.Check()));
        FParity.SetReplace(yes_no("Parity.Replace", FParity.Replace()));
        FParity.SetReplaceChar(character("Parity.ReplaceChar", FParity.ReplaceChar()));
    }
    if (FStoredGroups.Contains(sgBuffer)) {
        FBuffer.SetOutputSize(integer("Buffer.OutputSize", FBuffer.OutputSize()));
        FBuffer.SetInputSize(integer("Buffer.InputSize", FBuffer.InputSize()));
    }
    if (FStoredGroups.Contains(sgTimeouts)) {
        TSerialTimeouts& t = FTimeouts;
        t.SetReadInterval(integer("Timeouts.ReadInterval", t.ReadInterval()));
        t.SetReadTotalConstant(integer("Timeouts.ReadTotalConstant", t.ReadTotalConstant()));
        t.SetReadTotalMultiplier(integer("Timeouts.ReadTotalMultiplier", t.ReadTotalMultiplier()));
        t.SetWriteTotalConstant(integer("Timeouts.WriteTotalConstant", t.WriteTotalConstant()));
        t.SetWriteTotalMultiplier(
            integer("Timeouts.WriteTotalMultiplier", t.WriteTotalMultiplier()));
    }
    if (FStoredGroups.Contains(sgFlowControl)) {
        TSerialFlowControl& f = FFlowControl;
        f.SetControlRTS(
            TextToRtsControl(text("FlowControl.ControlRTS", RtsControlToText(f.ControlRTS()))));
        f.SetControlDTR(
            TextToDtrControl(text("FlowControl.ControlDTR", DtrControlToText(f.ControlDTR()))));
        f.SetDSRSensitivity(yes_no("FlowControl.DSRSensitivity", f.DSRSensitivity()));
        f.SetOutCTSFlow(yes_no("FlowControl.OutCTSFlow", f.OutCTSFlow()));
        f.SetOutDSRFlow(yes_no("FlowControl.OutDSRFlow", f.OutDSRFlow()));
        f.SetTxContinueOnXoff(yes_no("FlowControl.TxContinueOnXoff", f.TxContinueOnXoff()));
        f.SetXonXoffIn(yes_no("FlowControl.XonXoffIn", f.XonXoffIn()));
        f.SetXonXoffOut(yes_no("FlowControl.XonXoffOut", f.XonXoffOut()));
        f.SetXoffChar(character("FlowControl.XoffChar", f.XoffChar()));
        f.SetXonChar(character("FlowControl.XonChar", f.XonChar()));
    }
}
