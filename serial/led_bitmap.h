#pragma once
// The lamp's pictures: small ARGB bitmaps, the twelve built-in lamps drawn in code, and the
// transparency of a user's bitmap.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum TLedKind {
    lkRedLight,
    lkGreenLight,
    lkBlueLight,
    lkYellowLight,
    lkPurpleLight,
    lkBulb,
    lkCustom
};

struct TLedBitmap {
    int Width = 0;
    int Height = 0;
    // 0xAARRGGBB, row by row from the top; alpha 0 is transparent.
    std::vector<std::uint32_t> Pixels;

    bool Empty() const { return Width <= 0 || Height <= 0; }
    std::uint32_t At(int x, int y) const {
        return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                      static_cast<std::size_t>(x)];
    }
    bool operator==(const TLedBitmap&) const = default;
};

inline constexpr int kLedGlyphSize = 15;

// The resource name of a kind's lamp ("LEDGREENON", ...); empty for lkCustom.
std::string LedResourceName(TLedKind kind, bool on);
// The built-in lamp of that name, 15 x 15; an empty bitmap for an unknown name.
TLedBitmap LoadLedResource(std::string_view name);

// A user's bitmap made transparent the automatic way: every pixel of the colour of the
// bottom-left pixel becomes transparent.
TLedBitmap WithAutomaticTransparency(const TLedBitmap& bitmap);
