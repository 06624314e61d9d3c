#include "serial/serial_led.h"

#include <algorithm>

#include "serial/serial_error.h"
#include "serial/serial_port.h"

bool ShowsGlyphOn(bool enabled, TLedState state) {
    return enabled && state == lsOn;
}

TLedPoint GlyphPlacement(const TLedRect& client, int glyph_width, int glyph_height) {
    return {client.Left + std::max(0, (client.Width - glyph_width) / 2),
            client.Top + std::max(0, (client.Height - glyph_height) / 2)};
}

TSerialLed::TSerialLed(platform::TimerFactory& timers)
    : timers_(timers), RingTimer(timers_.CreateTimer()) {
    RingTimer->SetInterval(FRingDuration);
    RingTimer->SetTickHandler([this] {
        RingTimer->Stop();
        ChangeState(lsOff);
    });
    FillLinkSlot();
}

TSerialLed::~TSerialLed() {
    RingTimer.reset();
    if (FComPort != nullptr) {
        FComPort->RemoveFreeNotification(this);
        FComPort->RemoveLink(&FLink);
    }
}

// --- binding

void TSerialLed::SetComPort(TCustomSerialPort* port) {
    if (port == FComPort) return;
    if (FComPort != nullptr) {
        FComPort->RemoveFreeNotification(this);
        FComPort->RemoveLink(&FLink);
    }
    FComPort = port;
    if (port == nullptr) {
        ChangeState(lsOff);
        return;
    }
    port->FreeNotification(this, [this](TCustomSerialPort&) { PortDestroyed(); });
    port->AddLink(&FLink);
    if (port->Connected() && !FLoading) ChangeState(CurrentSignalState() ? lsOn : lsOff);
}

void TSerialLed::PortDestroyed() {
    // The port is going away: its link list goes with it.
    FComPort = nullptr;
    ChangeState(lsOff);
}

bool TSerialLed::CurrentSignalState() {
    switch (FLedSignal) {
        case lsConn:
            return FComPort != nullptr && FComPort->Connected();
        case lsCTS:
            return FComPort->ModemSignals().Contains(lnCTS);
        case lsDSR:
            return FComPort->ModemSignals().Contains(lnDSR);
        case lsRLSD:
            return FComPort->ModemSignals().Contains(lnRLSD);
        case lsRing:
        case lsRx:
        case lsTx:
            break;
    }
    return false;
}

void TSerialLed::SetLedSignal(TSerialLedSignal value) {
    if (value == FLedSignal) return;
    FLedSignal = value;
    FillLinkSlot();
}

void TSerialLed::FillLinkSlot() {
    FLink = TSerialLink{};
    auto signal = [this](TCustomSerialPort&, bool on) { SignalReaction(on); };
    switch (FLedSignal) {
        case lsConn:
            FLink.OnConnChange = signal;
            break;
        case lsCTS:
            FLink.OnCTSSignal = signal;
            break;
        case lsDSR:
            FLink.OnDSRSignal = signal;
            break;
        case lsRLSD:
            FLink.OnRLSDSignal = signal;
            break;
        case lsRing:
            FLink.OnRingSignal = [this](TCustomSerialPort&) { RingReaction(); };
            break;
        case lsRx:
            FLink.OnRxActivity = signal;
            break;
        case lsTx:
            FLink.OnTxActivity = signal;
            break;
    }
}

// --- state

void TSerialLed::SignalReaction(bool on) {
    ChangeState(on ? lsOn : lsOff);
    // Shown now, even while the port operation that sent the notice is still running.
    if (repaint_now_) repaint_now_();
}

void TSerialLed::RingReaction() {
    // A running timer keeps counting: the lamp goes out when the first ring's time is up.
    RingTimer->SetEnabled(true);
    ChangeState(lsOn);
}

void TSerialLed::SetState(TLedState value) {
    if (FComPort != nullptr) throw ESerialPort(serial_error::kLedState);
    ChangeState(value);
}

void TSerialLed::ChangeState(TLedState value) {
    FState = value;
    if (!FLoading && OnChange) OnChange(*this, value);
    Invalidate();
}

void TSerialLed::SetRingDuration(std::uint32_t ms) {
    FRingDuration = ms;
    RingTimer->SetInterval(ms);
}

void TSerialLed::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    Invalidate();
}

// --- glyphs and painting

void TSerialLed::SetKind(TLedKind value) {
    if (value == FKind) return;
    FKind = value;
    LoadKindGlyphs();
    Invalidate();
}

void TSerialLed::LoadKindGlyphs() {
    if (FKind == lkCustom) return;
    FGlyphOn = LoadLedResource(LedResourceName(FKind, true));
    FGlyphOff = LoadLedResource(LedResourceName(FKind, false));
}

void TSerialLed::SetGlyphOn(const TLedBitmap& value) {
    if (FKind != lkCustom) return;
    FGlyphOn = WithAutomaticTransparency(value);
    Invalidate();
}

void TSerialLed::SetGlyphOff(const TLedBitmap& value) {
    if (FKind != lkCustom) return;
    FGlyphOff = WithAutomaticTransparency(value);
    Invalidate();
}

void TSerialLed::SetRepaintHooks(std::function<void()> invalidate,
                                 std::function<void()> repaint_now) {
    invalidate_ = std::move(invalidate);
    repaint_now_ = std::move(repaint_now);
}

void TSerialLed::Invalidate() {
    if (invalidate_) invalidate_();
}

TSerialLed::Paint TSerialLed::PaintIn(const TLedRect& client) {
    if (FGlyphOn.Empty() || FGlyphOff.Empty()) LoadKindGlyphs();
    Paint paint;
    paint.glyph = ShowsGlyphOn(FEnabled, FState) ? &FGlyphOn : &FGlyphOff;
    paint.at = GlyphPlacement(client, paint.glyph->Width, paint.glyph->Height);
    return paint;
}
