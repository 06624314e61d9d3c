#pragma once
// TSerialSelect: binds a drop-down list to one setting of a port. It holds the list's items
// and selection (the widget shows them), fills the list for the bound kind, selects the
// port's current value, remembers what the user picked and applies it to the port.
//
// Lifetime: it asks the bound port to tell it when the port is destroyed (the binding is then
// cleared and the first item selected) and withdraws that request when it goes first.

#include <functional>
#include <string>
#include <vector>

#include "serial/serial_types.h"

class TCustomSerialPort;

enum TSerialProperty {
    cpNone,
    cpPort,
    cpBaudRate,
    cpDataBits,
    cpStopBits,
    cpParity,
    cpFlowControl
};

class TSerialSelect {
  public:
    using PortLister = std::function<void(std::vector<std::string>& list)>;

    // `lister` fills the port list (cpPort).
    explicit TSerialSelect(PortLister lister);
    ~TSerialSelect();
    TSerialSelect(const TSerialSelect&) = delete;
    TSerialSelect& operator=(const TSerialSelect&) = delete;

    void SetPortLister(PortLister lister) { lister_ = std::move(lister); }

    TCustomSerialPort* ComPort() const { return FComPort; }
    // Selects the port's current value.
    void SetComPort(TCustomSerialPort* port);
    TSerialProperty ComProperty() const { return FComProperty; }
    // Refills the list: the port names or the texts of the setting in table order.
    void SetComProperty(TSerialProperty value);
    bool AutoApply() const { return FAutoApply; }
    void SetAutoApply(bool value) { FAutoApply = value; }

    const std::vector<std::string>& Items() const { return FItems; }
    int ItemIndex() const { return FItemIndex; }  // -1: nothing selected
    // The selected item's text, empty when nothing is selected.
    std::string Text() const;
    // Selects the item of exactly that text; nothing changes when there is none.
    void SetText(const std::string& value);

    // The user picked item `index`: remembered for the bound kind, applied with AutoApply.
    void Pick(int index);
    // Sets the remembered value on the bound port; a port name only when one was chosen or
    // found, so an unlisted port keeps its name.
    void Apply();

    // The values remembered so far.
    const std::string& PortName() const { return FPortName; }
    TBaudRate BaudRate() const { return FBaudRate; }
    TDataBits DataBits() const { return FDataBits; }
    TStopBits StopBits() const { return FStopBits; }
    TParityBits ParityBits() const { return FParityBits; }
    TFlowControl FlowControl() const { return FFlowControl; }

    // For the widget: the items or the selection changed here.
    std::function<void()> OnItemsChanged;
    std::function<void()> OnSelectionChanged;

  private:
    void FillItems();
    void SelectPortValue();
    void Remember(const std::string& text);
    void Select(int index);
    void PortDestroyed();

    PortLister lister_;
    TCustomSerialPort* FComPort = nullptr;
    TSerialProperty FComProperty = cpNone;
    bool FAutoApply = false;
    std::vector<std::string> FItems;
    int FItemIndex = -1;
    std::string FPortName;
    TBaudRate FBaudRate = brCustom;
    TDataBits FDataBits = dbFive;
    TStopBits FStopBits = sbOneStopBit;
    TParityBits FParityBits = prNone;
    TFlowControl FFlowControl = fcHardware;
};
