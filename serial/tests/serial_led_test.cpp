// The connection lamp against the port on the in-memory device, its ring timer on virtual
// time, and its pictures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/doubles/virtual_clock.h"
#include "platform/serial_device_flags.h"
#include "serial/serial_led.h"
#include "serial/serial_port.h"

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class SerialLedTest : public ::testing::Test {
  protected:
    SerialLedTest() {
        line = backend.AddPort("COM1");
        led.OnChange = [this](TSerialLed&, TLedState s) { changes.push_back(s == lsOn ? 1 : 0); };
        led.SetRepaintHooks([] {},
                            [this] {
                                ++repaints_now;
                                shown_on_repaint.push_back(led.State() == lsOn);
                            });
    }

    // Lets the event thread hand over what it collected.
    bool Until(const std::function<bool()>& done) { return ui.RunUntil(done, 10s); }

    platform::VirtualClock clock;
    FakeSerialBackend backend;
    std::shared_ptr<FakeSerialLine> line;
    QueuedUiThread ui;
    TSerialPort port{backend, ui};
    TSerialLed led{clock};
    std::vector<int> changes;
    int repaints_now = 0;
    std::vector<bool> shown_on_repaint;
};

TEST_F(SerialLedTest, LitByOpeningAndPutOutByClosing) {
    led.SetComPort(&port);
    EXPECT_EQ(led.State(), lsOff);
    port.OpenPort();
    EXPECT_EQ(led.State(), lsOn);
    // Painted lit while OpenPort was still running.
    EXPECT_THAT(shown_on_repaint, ElementsAre(true));
    port.ClosePort();
    EXPECT_EQ(led.State(), lsOff);
    EXPECT_THAT(changes, ElementsAre(1, 0));
    EXPECT_EQ(repaints_now, 2);
}

TEST_F(SerialLedTest, BindingAnOpenPortShowsItsStateAtOnce) {
    port.OpenPort();
    led.SetComPort(&port);
    EXPECT_EQ(led.State(), lsOn);

    // A CTS lamp reads the line.
    line->SetModemLines(modem_line::kCts);
    TSerialLed cts(clock);
    cts.SetLedSignal(lsCTS);
    cts.SetComPort(&port);
    EXPECT_EQ(cts.State(), lsOn);
    TSerialLed dsr(clock);
    dsr.SetLedSignal(lsDSR);
    dsr.SetState(lsOn);
    dsr.SetComPort(&port);
    EXPECT_EQ(dsr.State(), lsOff);
}

TEST_F(SerialLedTest, BindingAClosedPortKeepsTheStateAndUnbindingPutsItOut) {
    led.SetState(lsOn);
    led.SetComPort(&port);
    EXPECT_EQ(led.State(), lsOn);
    led.SetComPort(nullptr);
    EXPECT_EQ(led.State(), lsOff);
    // Unbound, the lamp no longer follows the port.
    port.OpenPort();
    EXPECT_EQ(led.State(), lsOff);
}

TEST_F(SerialLedTest, ABoundLampRefusesAStateByHand) {
    led.SetComPort(&port);
    port.OpenPort();
    changes.clear();
    try {
        led.SetState(lsOff);
        FAIL() << "state set by hand while bound";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.ErrorIndex(), 19);
        EXPECT_STREQ(e.what(), "Cannot change led state if ComPort is selected");
    }
    EXPECT_EQ(led.State(), lsOn);
    EXPECT_TRUE(changes.empty());
}

TEST_F(SerialLedTest, ANewSignalKeepsTheStateUntilItsOwnNotice) {
    led.SetComPort(&port);
    port.OpenPort();
    ASSERT_EQ(led.State(), lsOn);
    led.SetLedSignal(lsCTS);
    EXPECT_EQ(led.State(), lsOn);

    line->SetModemLines(0);
    line->RaiseEvents(serial_event::kCts);
    ASSERT_TRUE(Until([&] { return led.State() == lsOff; }));
    // Connection notices no longer reach it.
    line->SetModemLines(modem_line::kCts);
    line->RaiseEvents(serial_event::kCts);
    ASSERT_TRUE(Until([&] { return led.State() == lsOn; }));
    port.ClosePort();  // CTS forced off before closing
    EXPECT_EQ(led.State(), lsOff);
}

TEST_F(SerialLedTest, ARingKeepsTheLampOnForTheRingDurationFromTheFirstRing) {
    led.SetLedSignal(lsRing);
    led.SetRingDuration(800);
    led.SetComPort(&port);
    port.OpenPort();
    EXPECT_EQ(led.State(), lsOff);

    line->RaiseEvents(serial_event::kRing);
    ASSERT_TRUE(Until([&] { return led.State() == lsOn; }));
    clock.Advance(500);
    line->RaiseEvents(serial_event::kRing);  // a second ring: no restart
    ASSERT_TRUE(Until([&] { return changes.size() == 2; }));
    EXPECT_EQ(led.State(), lsOn);
    clock.Advance(299);
    EXPECT_EQ(led.State(), lsOn);
    clock.Advance(1);
    EXPECT_EQ(led.State(), lsOff);
    EXPECT_EQ(clock.ActiveTimers(), 0u);  // stopped itself
    EXPECT_THAT(changes, ElementsAre(1, 1, 0));
}

TEST_F(SerialLedTest, RxAndTxLampsFollowTheActivityNotices) {
    TSerialLed rx(clock);
    rx.SetLedSignal(lsRx);
    rx.SetComPort(&port);
    std::vector<bool> seen;
    port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        seen.push_back(rx.State() == lsOn);
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        p.ReadBytes(buf.data(), buf.size());
    };
    port.OpenPort();
    line->Feed({1, 2, 3});
    ASSERT_TRUE(Until([&] { return !seen.empty(); }));
    EXPECT_TRUE(seen[0]);          // on when the bytes arrived
    EXPECT_EQ(rx.State(), lsOff);  // off when the read emptied the queue
}

TEST_F(SerialLedTest, APortDestroyedFirstUnbindsTheLamp) {
    auto own = std::make_unique<TSerialPort>(backend, ui);
    led.SetComPort(own.get());
    own->OpenPort();
    ASSERT_EQ(led.State(), lsOn);
    own.reset();
    EXPECT_EQ(led.ComPort(), nullptr);
    EXPECT_EQ(led.State(), lsOff);
    // Binding another port after that touches nothing of the old one.
    led.SetComPort(&port);
    port.OpenPort();
    EXPECT_EQ(led.State(), lsOn);
}

TEST_F(SerialLedTest, ALampDestroyedFirstLeavesThePortWithoutItsLink) {
    int told = 0;
    {
        TSerialLed other(clock);
        other.OnChange = [&](TSerialLed&, TLedState) { ++told; };
        other.SetComPort(&port);
        port.OpenPort();
        EXPECT_EQ(told, 1);
    }
    port.ClosePort();
    port.OpenPort();
    EXPECT_EQ(told, 1);
    // Its link is gone, so the same address may be registered anew.
    TSerialLink link;
    port.AddLink(&link);
    port.RemoveLink(&link);
}

TEST_F(SerialLedTest, LoadingRaisesNoChangeAndDoesNotReadTheBoundPort) {
    port.OpenPort();
    led.BeginLoading();
    led.SetComPort(&port);
    EXPECT_EQ(led.State(), lsOff);
    led.EndLoading();
    port.ClosePort();
    EXPECT_THAT(changes, ElementsAre(0));
}

// --- painting

TEST(SerialLedPaint, ADisabledLampShowsTheOffGlyphWhateverItsState) {
    platform::VirtualClock clock;
    TSerialLed led(clock);
    led.SetState(lsOn);
    const TLedRect client{0, 0, 25, 25};
    EXPECT_EQ(led.PaintIn(client).glyph, &led.GlyphOn());
    led.SetEnabled(false);
    EXPECT_EQ(led.PaintIn(client).glyph, &led.GlyphOff());
    led.SetState(lsOff);
    EXPECT_EQ(led.PaintIn(client).glyph, &led.GlyphOff());
    EXPECT_FALSE(ShowsGlyphOn(true, lsOff));
}

TEST(SerialLedPaint, GlyphsAreCentredButALargeOneStartsAtTheTopLeft) {
    EXPECT_EQ(GlyphPlacement({0, 0, 25, 25}, 15, 15), (TLedPoint{5, 5}));
    EXPECT_EQ(GlyphPlacement({3, 4, 25, 25}, 15, 15), (TLedPoint{8, 9}));
    EXPECT_EQ(GlyphPlacement({3, 4, 25, 25}, 40, 30), (TLedPoint{3, 4}));
    EXPECT_EQ(GlyphPlacement({0, 0, 25, 25}, 40, 10), (TLedPoint{0, 7}));
    EXPECT_EQ(GlyphPlacement({0, 0, 25, 24}, 16, 15), (TLedPoint{4, 4}));  // rounds down
}

TEST(SerialLedPaint, APaintLoadsTheKindsGlyphsAndAKindChangeReplacesThem) {
    platform::VirtualClock clock;
    TSerialLed led(clock);
    int invalidated = 0;
    led.SetRepaintHooks([&] { ++invalidated; }, [] {});
    EXPECT_TRUE(led.GlyphOn().Empty());
    const auto paint = led.PaintIn({0, 0, 25, 25});
    EXPECT_EQ(led.GlyphOn(), LoadLedResource("LEDREDON"));
    EXPECT_EQ(paint.at, (TLedPoint{5, 5}));
    led.SetKind(lkGreenLight);
    EXPECT_EQ(led.GlyphOff(), LoadLedResource("LEDGREENOFF"));
    EXPECT_EQ(invalidated, 1);
    // A picture of one's own only for a custom lamp.
    TLedBitmap mine{2, 1, {0xFF112233u, 0xFF445566u}};
    led.SetGlyphOn(mine);
    EXPECT_EQ(led.GlyphOn(), LoadLedResource("LEDGREENON"));
    led.SetKind(lkCustom);
    led.SetGlyphOn(mine);
    EXPECT_EQ(led.GlyphOn().Width, 2);
    EXPECT_EQ(led.GlyphOff(), LoadLedResource("LEDGREENOFF"));  // kept from the last kind
}

TEST(LedBitmap, TheTwelveLampsAreRoundLitBrightAndUnlitDark) {
    auto brightness = [](std::uint32_t p) {
        return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
    };
    for (int k = lkRedLight; k < lkCustom; ++k) {
        const auto kind = static_cast<TLedKind>(k);
        const TLedBitmap on = LoadLedResource(LedResourceName(kind, true));
        const TLedBitmap off = LoadLedResource(LedResourceName(kind, false));
        ASSERT_EQ(on.Width, 15) << k;
        ASSERT_EQ(off.Height, 15) << k;
        EXPECT_EQ(on.At(0, 0) >> 24, 0u) << k;  // corners transparent
        EXPECT_EQ(off.At(14, 0) >> 24, 0u) << k;
        EXPECT_EQ(on.At(7, 6) >> 24, 0xFFu) << k;  // the glass is opaque
        unsigned lit = 0, unlit = 0;
        for (int y = 0; y < 11; ++y)  // above a bulb's base, which is never lit
            for (int x = 0; x < 15; ++x) {
                lit += brightness(on.At(x, y));
                unlit += brightness(off.At(x, y));
            }
        EXPECT_GT(lit, unlit * 3 / 2) << k;
    }
    EXPECT_EQ(LedResourceName(lkYellowLight, false), "LEDYELLOWOFF");
    EXPECT_EQ(LedResourceName(lkCustom, true), "");
    EXPECT_TRUE(LoadLedResource("LEDCUSTOMON").Empty());
}

TEST(LedBitmap, AUsersBitmapTakesItsTransparentColourFromTheBottomLeftPixel) {
    const TLedBitmap b{2, 2, {0xFF00FF00u, 0xFFFF00FFu, 0xFFFF00FFu, 0xFF000000u}};
    const TLedBitmap t = WithAutomaticTransparency(b);
    EXPECT_EQ(t.Pixels, (std::vector<std::uint32_t>{0xFF00FF00u, 0, 0, 0xFF000000u}));
}

}  // namespace
