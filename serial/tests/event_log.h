#pragma once
// Records the events of a port and of a link as short texts, in order.

#include <string>
#include <utility>
#include <vector>

#include "serial/serial_port.h"

struct EventLog {
    std::vector<std::string> entries;

    static std::string OnOff(bool on) { return on ? "1" : "0"; }

    void Attach(TCustomSerialPort& port) {
        port.OnBeforeOpen = [this](TCustomSerialPort&) { entries.push_back("BeforeOpen"); };
        port.OnAfterOpen = [this](TCustomSerialPort&) { entries.push_back("AfterOpen"); };
        port.OnBeforeClose = [this](TCustomSerialPort&) { entries.push_back("BeforeClose"); };
        port.OnAfterClose = [this](TCustomSerialPort&) { entries.push_back("AfterClose"); };
        port.OnRxChar = [this](TCustomSerialPort&, int n) {
            entries.push_back("RxChar " + std::to_string(n));
        };
        port.OnRxBuf = [this](TCustomSerialPort&, const std::uint8_t*, int n) {
            entries.push_back("RxBuf " + std::to_string(n));
        };
        port.OnTxEmpty = [this](TCustomSerialPort&) { entries.push_back("TxEmpty"); };
        port.OnBreak = [this](TCustomSerialPort&) { entries.push_back("Break"); };
        port.OnRing = [this](TCustomSerialPort&) { entries.push_back("Ring"); };
        port.OnRxFlag = [this](TCustomSerialPort&) { entries.push_back("RxFlag"); };
        port.OnRx80Full = [this](TCustomSerialPort&) { entries.push_back("Rx80Full"); };
        port.OnCTSChange = [this](TCustomSerialPort&, bool on) {
            entries.push_back("CTS " + OnOff(on));
        };
        port.OnDSRChange = [this](TCustomSerialPort&, bool on) {
            entries.push_back("DSR " + OnOff(on));
        };
        port.OnRLSDChange = [this](TCustomSerialPort&, bool on) {
            entries.push_back("RLSD " + OnOff(on));
        };
        port.OnError = [this](TCustomSerialPort&, TSerialErrors e) {
            entries.push_back("Error " + std::to_string(e.ToBits()));
        };
        port.OnConnectionLost = [this](TCustomSerialPort&) { entries.push_back("Lost"); };
    }

    void Attach(TSerialLink& link, const std::string& name) {
        auto signal = [this, name](const char* what) {
            return [this, name, what](TCustomSerialPort&, bool on) {
                entries.push_back(name + "." + what + " " + OnOff(on));
            };
        };
        auto notice = [this, name](const char* what) {
            return [this, name, what](TCustomSerialPort&) { entries.push_back(name + "." + what); };
        };
        link.OnConnChange = signal("Conn");
        link.OnCTSSignal = signal("CTS");
        link.OnDSRSignal = signal("DSR");
        link.OnRLSDSignal = signal("RLSD");
        link.OnTxActivity = signal("Tx");
        link.OnRxActivity = signal("Rx");
        link.OnTxDrained = notice("TxDrained");
        link.OnRxFlagChar = notice("RxFlag");
        link.OnRingSignal = notice("Ring");
    }

    std::vector<std::string> Take() { return std::exchange(entries, {}); }
};
