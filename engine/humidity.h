#pragma once
// Relative humidity from a dry-bulb and a wet-bulb temperature, by a fixed psychrometric table.

#include <array>
#include <cstdint>

inline constexpr int kHumidityRows = 18;     // dry bulb 35.0 .. 43.5 degrees, step 0.5
inline constexpr int kHumidityColumns = 31;  // wet bulb 24.0 .. 39.0 degrees, step 0.5

extern const std::array<std::uint8_t, kHumidityRows * kHumidityColumns> HumidityTable;

// dry and wet are the packet's raw words in sixteenths of a degree. Returns whole percent,
// or -1 when the pair lies below the table (dry <= 35.0 or wet <= 24.0 degrees). Pairs above
// the table use its last row or column; the temperatures round down to the half-degree grid.
int LookupHumidity(int dry, int wet);
