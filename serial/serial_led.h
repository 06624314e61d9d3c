#pragma once
// TSerialLed: a lamp that shows one state of a serial port (open, a modem line, a ring,
// receive or send activity). It follows the port through a link, so the port switches it.
// This is the lamp's logic; a widget draws it (serial/qt/serial_led_widget.h) and gives it
// its repaint hooks.
//
// Lifetime: the lamp removes its link from the port when it is destroyed, and the port tells
// the lamp when the port is destroyed first (the lamp then unbinds and goes off), so either
// may go first. Everything runs on the UI thread; a port under smNone would switch the lamp
// from its event thread, which is not supported.

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/timer.h"
#include "serial/led_bitmap.h"
#include "serial/serial_link.h"

class TCustomSerialPort;

enum TSerialLedSignal { lsConn, lsCTS, lsDSR, lsRLSD, lsRing, lsRx, lsTx };
enum TLedState { lsOff, lsOn };

struct TLedRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};
struct TLedPoint {
    int X = 0, Y = 0;
    bool operator==(const TLedPoint&) const = default;
};

// The glyph a lamp shows: the on glyph only when enabled and on.
bool ShowsGlyphOn(bool enabled, TLedState state);
// Where a glyph goes: centred, but never left of or above the client area.
TLedPoint GlyphPlacement(const TLedRect& client, int glyph_width, int glyph_height);

class TSerialLed {
  public:
    using TLedStateEvent = std::function<void(TSerialLed& Sender, TLedState AState)>;

    static constexpr int kDefaultSize = 25;

    explicit TSerialLed(platform::TimerFactory& timers);
    ~TSerialLed();
    TSerialLed(const TSerialLed&) = delete;
    TSerialLed& operator=(const TSerialLed&) = delete;

    TCustomSerialPort* ComPort() const { return FComPort; }
    // Binding an open port shows its current state at once; none puts the lamp out.
    void SetComPort(TCustomSerialPort* port);
    TSerialLedSignal LedSignal() const { return FLedSignal; }
    // Follows the new signal from its next notice on; the state stays as it is.
    void SetLedSignal(TSerialLedSignal value);
    TLedKind Kind() const { return FKind; }
    void SetKind(TLedKind value);
    const TLedBitmap& GlyphOn() const { return FGlyphOn; }
    const TLedBitmap& GlyphOff() const { return FGlyphOff; }
    // Only for lkCustom; otherwise ignored.
    void SetGlyphOn(const TLedBitmap& value);
    void SetGlyphOff(const TLedBitmap& value);
    TLedState State() const { return FState; }
    // By hand: "Cannot change led state if ComPort is selected" while a port is bound.
    void SetState(TLedState value);
    std::uint32_t RingDuration() const { return FRingDuration; }
    void SetRingDuration(std::uint32_t ms);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);

    // While loading a stored description no OnChange is raised and a bound port is not read.
    void BeginLoading() { FLoading = true; }
    void EndLoading() { FLoading = false; }

    TLedStateEvent OnChange;

    // The widget's hooks: `invalidate` asks for a paint later, `repaint_now` paints at once
    // (used after a port notice, which may arrive in the middle of a long port operation).
    void SetRepaintHooks(std::function<void()> invalidate, std::function<void()> repaint_now);

    // What to paint in the client area: the glyph and its top-left corner. Loads the kind's
    // glyphs when one is missing.
    struct Paint {
        const TLedBitmap* glyph = nullptr;
        TLedPoint at;
    };
    Paint PaintIn(const TLedRect& client);

  private:
    void ChangeState(TLedState value);
    void SignalReaction(bool on);
    void RingReaction();
    void FillLinkSlot();
    bool CurrentSignalState();
    void LoadKindGlyphs();
    void PortDestroyed();
    void Invalidate();

    platform::TimerFactory& timers_;
    TCustomSerialPort* FComPort = nullptr;
    TSerialLedSignal FLedSignal = lsConn;
    TLedKind FKind = lkRedLight;
    TLedBitmap FGlyphOn, FGlyphOff;
    TLedState FState = lsOff;
    std::uint32_t FRingDuration = 1000;
    bool FEnabled = true;
    bool FLoading = false;
    TSerialLink FLink;
    std::unique_ptr<platform::Timer> RingTimer;
    std::function<void()> invalidate_, repaint_now_;
};
