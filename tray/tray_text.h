#pragma once
// Texts of the tray icon record: line breaks made plain and lengths cut by characters.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tray/tray_types.h"

namespace tray {

inline constexpr std::size_t kTipLength = 127;
inline constexpr std::size_t kBalloonTitleLength = 63;
inline constexpr std::size_t kBalloonTextLength = 255;

// `s` with every CR LF and every lone CR made a "\n", then cut to its first `max_chars`
// characters (never inside a letter).
std::string RecordText(std::string_view s, std::size_t max_chars);

// The icon's tip: empty when the hint is empty or hints are off.
std::string TipText(std::string_view hint, bool show_hint);

// The record's flag for a balloon icon kind.
std::uint32_t BalloonFlag(TBalloonIconKind kind);

}  // namespace tray
