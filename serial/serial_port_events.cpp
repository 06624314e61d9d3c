// Links, the raise steps of the events and the hand-over of one wake-up's events.
#include <algorithm>
#include <vector>

#include "serial/serial_event_mask.h"
#include "serial/serial_port.h"

// --- links

void TCustomSerialPort::AddLink(TSerialLink* link) {
    if (link == nullptr || std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
        throw ESerialPort(serial_error::kLink);
    FLinks.push_back(link);
    RecomputeHasRxDataLink();
}

void TCustomSerialPort::RemoveLink(TSerialLink* link) {
    const auto it = std::find(FLinks.begin(), FLinks.end(), link);
    if (link == nullptr || it == FLinks.end()) throw ESerialPort(serial_error::kLink);
    FLinks.erase(it);
    RecomputeHasRxDataLink();
}

void TCustomSerialPort::FreeNotification(const void* owner,
                                         std::function<void(TCustomSerialPort&)> notice) {
    RemoveFreeNotification(owner);
    FFreeNotices.emplace_back(owner, std::move(notice));
}

void TCustomSerialPort::RemoveFreeNotification(const void* owner) {
    std::erase_if(FFreeNotices, [owner](const auto& n) { return n.first == owner; });
}

void TCustomSerialPort::RecomputeHasRxDataLink() {
    FHasRxDataLink = std::any_of(FLinks.begin(), FLinks.end(),
                                 [](const TSerialLink* l) { return bool(l->OnRxData); });
}

// --- raise steps

void TCustomSerialPort::DoBeforeOpen() {
    if (OnBeforeOpen) OnBeforeOpen(*this);
}

void TCustomSerialPort::DoAfterOpen() {
    NotifyLinks(&TSerialLink::OnConnChange, true);
    if (OnAfterOpen) OnAfterOpen(*this);
    SignalChanged(lnCTS, ModemSignals().Contains(lnCTS));
    SignalChanged(lnDSR, ModemSignals().Contains(lnDSR));
    SignalChanged(lnRLSD, ModemSignals().Contains(lnRLSD));
}

void TCustomSerialPort::DoBeforeClose() {
    for (std::size_t i = 0; i < FLinks.size(); ++i) {
        // Copies: a slot's owner may refill its link from inside the call.
        const TSerialLink link = *FLinks[i];
        if (link.OnCTSSignal) link.OnCTSSignal(*this, false);
        if (link.OnDSRSignal) link.OnDSRSignal(*this, false);
        if (link.OnRLSDSignal) link.OnRLSDSignal(*this, false);
    }
    DoCTS(false);
    DoDSR(false);
    DoRLSD(false);
    if (OnBeforeClose) OnBeforeClose(*this);
}

void TCustomSerialPort::DoAfterClose() {
    NotifyLinks(&TSerialLink::OnConnChange, false);
    if (OnAfterClose) OnAfterClose(*this);
}

void TCustomSerialPort::DoRxChar(int Count) {
    if (OnRxChar) OnRxChar(*this, Count);
}
void TCustomSerialPort::DoRxBuf(const std::uint8_t* Buffer, int Count) {
    if (OnRxBuf) OnRxBuf(*this, Buffer, Count);
}
void TCustomSerialPort::DoTxEmpty() {
    if (OnTxEmpty) OnTxEmpty(*this);
}
void TCustomSerialPort::DoBreak() {
    if (OnBreak) OnBreak(*this);
}
void TCustomSerialPort::DoRing() {
    if (OnRing) OnRing(*this);
}
void TCustomSerialPort::DoRxFlag() {
    if (OnRxFlag) OnRxFlag(*this);
}
void TCustomSerialPort::DoCTS(bool OnOff) {
    if (OnCTSChange) OnCTSChange(*this, OnOff);
}
void TCustomSerialPort::DoDSR(bool OnOff) {
    if (OnDSRChange) OnDSRChange(*this, OnOff);
}
void TCustomSerialPort::DoError(TSerialErrors Errors) {
    if (OnError) OnError(*this, Errors);
}
void TCustomSerialPort::DoRLSD(bool OnOff) {
    if (OnRLSDChange) OnRLSDChange(*this, OnOff);
}
void TCustomSerialPort::DoRx80Full() {
    if (OnRx80Full) OnRx80Full(*this);
}
void TCustomSerialPort::DoConnectionLost() {
    if (OnConnectionLost) OnConnectionLost(*this);
}

void TCustomSerialPort::SignalChanged(TLineSignal line, bool on) {
    switch (line) {
        case lnCTS:
            NotifyLinks(&TSerialLink::OnCTSSignal, on);
            DoCTS(on);
            break;
        case lnDSR:
            NotifyLinks(&TSerialLink::OnDSRSignal, on);
            DoDSR(on);
            break;
        case lnRLSD:
            NotifyLinks(&TSerialLink::OnRLSDSignal, on);
            DoRLSD(on);
            break;
        case lnRing:
            break;
    }
}

// --- event delivery

void TCustomSerialPort::RunEventHandlers(TSerialEvents events, unsigned session,
                                         const SerialArrival& arrival) {
    FArrival = arrival;
    for (TSerialEvent event : kEventDispatchOrder) {
        if (!events.Contains(event)) continue;
        if (!FConnected || FSession != session) return;
        RaiseEvent(event);
    }
}

void TCustomSerialPort::RaiseEvent(TSerialEvent event) {
    switch (event) {
        case evError: {
            const TSerialErrors errors = TakeLineErrors();
            if (!errors.Empty()) DoError(errors);
            break;
        }
        case evRxChar:
            ReceiveStep();
            break;
        case evTxEmpty:
            NotifyLinks(&TSerialLink::OnTxActivity, false);
            NotifyLinks(&TSerialLink::OnTxDrained);
            DoTxEmpty();
            break;
        case evBreak:
            DoBreak();
            break;
        case evRing:
            NotifyLinks(&TSerialLink::OnRingSignal);
            DoRing();
            break;
        case evCTS:
            SignalChanged(lnCTS, ModemSignals().Contains(lnCTS));
            break;
        case evDSR:
            SignalChanged(lnDSR, ModemSignals().Contains(lnDSR));
            break;
        case evRLSD:
            SignalChanged(lnRLSD, ModemSignals().Contains(lnRLSD));
            break;
        case evRxFlag:
            NotifyLinks(&TSerialLink::OnRxFlagChar);
            DoRxFlag();
            break;
        case evRx80Full:
            DoRx80Full();
            break;
    }
}

void TCustomSerialPort::ReceiveStep() {
    int count = PendingInputCount();
    if (count > 0) NotifyLinks(&TSerialLink::OnRxActivity, true);
    if (count > 0 && FHasRxDataLink) {
        for (std::size_t i = 0; i < FLinks.size(); ++i) {
            if (!FLinks[i]->OnRxData) continue;
            std::vector<std::uint8_t> block(static_cast<std::size_t>(count));
            // Hand on only what was read: a short read leaves the rest of the block unfilled.
            const int got = static_cast<int>(ReadBytes(block.data(), block.size()));
            DoRxBuf(block.data(), got);
            NotifyLinks(&TSerialLink::OnRxData, static_cast<const std::uint8_t*>(block.data()),
                        got);
            break;
        }
        count = 0;
    }
    if (count > 0) DoRxChar(count);
}
