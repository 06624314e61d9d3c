#include "serial/led_bitmap.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(Rgb a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}
double SmoothStep(double lo, double hi, double x) {
    const double t = std::clamp((x - lo) / (hi - lo), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

constexpr Rgb kWhite{255, 255, 255};

struct LampColours {
    const char* name;
    Rgb lit, unlit;
};

// Index = TLedKind.
constexpr std::array<LampColours, 6> kLamps = {{
    {"RED", {255, 45, 35}, {95, 14, 12}},
    {"GREEN", {60, 235, 60}, {12, 82, 18}},
    {"BLUE", {70, 145, 255}, {16, 32, 105}},
    {"YELLOW", {255, 222, 40}, {105, 88, 12}},
    {"PURPLE", {220, 85, 255}, {78, 22, 92}},
    {"BULB", {255, 246, 175}, {100, 100, 108}},
}};

// The colour of a glass disc at point (x, y), lit from the upper left; nothing outside it.
bool Disc(double x, double y, double cx, double cy, double radius, Rgb base, bool on, Rgb& out) {
    const double d = std::hypot(x - cx, y - cy);
    if (d > radius) return false;
    if (d > radius - 1.1) {  // dark rim, so the lamp stands out on any background
        out = Scale(base, 0.45);
        return true;
    }
    const Rgb highlight = Mix(base, kWhite, on ? 0.85 : 0.35);
    const double t = std::hypot(x - (cx - 2.2), y - (cy - 2.4)) / (radius * 1.4);
    const Rgb body = Mix(highlight, base, SmoothStep(0.0, 0.55, t));
    out = Mix(body, Scale(base, 0.6), SmoothStep(0.6, 1.0, d / radius));
    return true;
}

// A colour sample of the lamp at (x, y) in pixel units.
bool Sample(std::size_t lamp, bool on, double x, double y, Rgb& out) {
    const Rgb base = on ? kLamps[lamp].lit : kLamps[lamp].unlit;
    if (lamp != lkBulb) return Disc(x, y, 7.5, 7.5, 7.0, base, on, out);
    if (Disc(x, y, 7.5, 6.0, 5.6, base, on, out)) return true;
    // The screw base of the bulb.
    if (x >= 5 && x < 10 && y >= 11.2 && y < 15) {
        const int row = static_cast<int>(y);
        out = (row == 12 || row == 14) ? Rgb{95, 95, 100} : Rgb{165, 165, 170};
        return true;
    }
    return false;
}

std::uint8_t Channel(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

TLedBitmap DrawLamp(std::size_t lamp, bool on) {
    constexpr int kSub = 4;  // samples per pixel side, for smooth edges
    TLedBitmap bitmap;
    bitmap.Width = bitmap.Height = kLedGlyphSize;
    bitmap.Pixels.resize(kLedGlyphSize * kLedGlyphSize);
    for (int y = 0; y < kLedGlyphSize; ++y) {
        for (int x = 0; x < kLedGlyphSize; ++x) {
            Rgb sum{0, 0, 0};
            int covered = 0;
            for (int j = 0; j < kSub; ++j) {
                for (int i = 0; i < kSub; ++i) {
                    Rgb c;
                    if (!Sample(lamp, on, x + (i + 0.5) / kSub, y + (j + 0.5) / kSub, c)) continue;
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    ++covered;
                }
            }
            if (covered == 0) continue;
            const Rgb c = Scale(sum, 1.0 / covered);
            const std::uint32_t alpha = Channel(255.0 * covered / (kSub * kSub));
            bitmap.Pixels[static_cast<std::size_t>(y * kLedGlyphSize + x)] =
                alpha << 24 | std::uint32_t{Channel(c.r)} << 16 | std::uint32_t{Channel(c.g)} << 8 |
                Channel(c.b);
        }
    }
    return bitmap;
}

}  // namespace

std::string LedResourceName(TLedKind kind, bool on) {
    if (kind < lkRedLight || kind >= lkCustom) return {};
    return std::string("LED") + kLamps[static_cast<std::size_t>(kind)].name + (on ? "ON" : "OFF");
}

TLedBitmap LoadLedResource(std::string_view name) {
    for (std::size_t lamp = 0; lamp < kLamps.size(); ++lamp) {
        for (bool on : {true, false}) {
            if (name == LedResourceName(static_cast<TLedKind>(lamp), on)) return DrawLamp(lamp, on);
        }
    }
    return {};
}

TLedBitmap WithAutomaticTransparency(const TLedBitmap& bitmap) {
    TLedBitmap result = bitmap;
    if (bitmap.Empty() || bitmap.Pixels.size() < static_cast<std::size_t>(bitmap.Width) *
                                                     static_cast<std::size_t>(bitmap.Height))
        return result;
    const std::uint32_t key = bitmap.At(0, bitmap.Height - 1) & 0x00FFFFFFu;
    for (std::uint32_t& p : result.Pixels)
        if ((p & 0x00FFFFFFu) == key) p = 0;
    return result;
}
