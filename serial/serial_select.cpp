#include "serial/serial_select.h"

#include "common/text_parse.h"
#include "serial/serial_port.h"
#include "serial/serial_text.h"

namespace {

template <typename E, typename ToText>
void AddTexts(std::vector<std::string>& items, int count, ToText to_text) {
    for (int i = 0; i < count; ++i) items.push_back(to_text(static_cast<E>(i)));
}

}  // namespace

TSerialSelect::TSerialSelect(PortLister lister) : lister_(std::move(lister)) {}

TSerialSelect::~TSerialSelect() {
    if (FComPort != nullptr) FComPort->RemoveFreeNotification(this);
}

void TSerialSelect::SetComPort(TCustomSerialPort* port) {
    if (port == FComPort) return;
    if (FComPort != nullptr) FComPort->RemoveFreeNotification(this);
    FComPort = port;
    if (port == nullptr) return;
    port->FreeNotification(this, [this](TCustomSerialPort&) { PortDestroyed(); });
    SelectPortValue();
}

void TSerialSelect::PortDestroyed() {
    FComPort = nullptr;
    if (!FItems.empty()) Select(0);
}

void TSerialSelect::SetComProperty(TSerialProperty value) {
    FComProperty = value;
    FillItems();
    if (FItems.empty()) return;
    if (FComPort == nullptr)
        Select(0);
    else
        SelectPortValue();
}

void TSerialSelect::FillItems() {
    std::vector<std::string> items;
    switch (FComProperty) {
        case cpNone:
            break;
        case cpPort:
            if (lister_) lister_(items);
            break;
        case cpBaudRate:
            AddTexts<TBaudRate>(items, kBaudRateCount, BaudRateToText);
            break;
        case cpDataBits:
            AddTexts<TDataBits>(items, kDataBitsCount, DataBitsToText);
            break;
        case cpStopBits:
            AddTexts<TStopBits>(items, kStopBitsCount, StopBitsToText);
            break;
        case cpParity:
            AddTexts<TParityBits>(items, kParityCount, ParityToText);
            break;
        case cpFlowControl:
            AddTexts<TFlowControl>(items, kFlowControlCount, FlowControlToText);
            break;
    }
    FItems = std::move(items);
    FItemIndex = -1;
    if (OnItemsChanged) OnItemsChanged();
}

void TSerialSelect::SelectPortValue() {
    if (FComPort == nullptr) return;
    const TCustomSerialPort& p = *FComPort;
    std::string text;
    switch (FComProperty) {
        case cpNone:
            return;
        case cpPort:
            text = p.Port();
            break;
        case cpBaudRate:
            text = BaudRateToText(p.BaudRate());
            break;
        case cpDataBits:
            text = DataBitsToText(p.DataBits());
            break;
        case cpStopBits:
            text = StopBitsToText(p.StopBits());
            break;
        case cpParity:
            text = ParityToText(p.Parity().Bits());
            break;
        case cpFlowControl:
            text = FlowControlToText(p.FlowControl().FlowControl());
            break;
    }
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (text::SameIgnoringCase(FItems[i], text)) {
            Select(static_cast<int>(i));
            Remember(FItems[i]);
            return;
        }
    }
    Select(-1);
}

std::string TSerialSelect::Text() const {
    return FItemIndex >= 0 ? FItems[static_cast<std::size_t>(FItemIndex)] : std::string();
}

void TSerialSelect::SetText(const std::string& value) {
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (FItems[i] == value) {
            Select(static_cast<int>(i));
            return;
        }
    }
}

void TSerialSelect::Select(int index) {
    if (index < -1 || index >= static_cast<int>(FItems.size())) index = -1;
    if (index == FItemIndex) return;
    FItemIndex = index;
    if (OnSelectionChanged) OnSelectionChanged();
}

void TSerialSelect::Pick(int index) {
    Select(index);
    if (FItemIndex < 0) return;
    Remember(Text());
    if (FAutoApply) Apply();
}

void TSerialSelect::Remember(const std::string& text) {
    switch (FComProperty) {
        case cpNone:
            break;
        case cpPort:
            FPortName = text;
            break;
        case cpBaudRate:
            FBaudRate = TextToBaudRate(text);
            break;
        case cpDataBits:
            FDataBits = TextToDataBits(text);
            break;
        case cpStopBits:
            FStopBits = TextToStopBits(text);
            break;
        case cpParity:
            FParityBits = TextToParity(text);
            break;
        case cpFlowControl:
            FFlowControl = TextToFlowControl(text);
            break;
    }
}

void TSerialSelect::Apply() {
    if (FComPort == nullptr) return;
    TCustomSerialPort& p = *FComPort;
    switch (FComProperty) {
        case cpNone:
            break;
        case cpPort:
            if (!FPortName.empty()) p.SetPort(FPortName);
            break;
        case cpBaudRate:
            p.SetBaudRate(FBaudRate);
            break;
        case cpDataBits:
            p.SetDataBits(FDataBits);
            break;
        case cpStopBits:
            p.SetStopBits(FStopBits);
            break;
        case cpParity:
            p.Parity().SetBits(FParityBits);
            break;
        case cpFlowControl:
            p.FlowControl().SetFlowControl(FFlowControl);
            break;
    }
}
