#pragma once
// The file that the crash test's writer rewrites: every state it may leave, byte for byte.

#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace crash_layout {

// The writer's round g: all bulk keys to g in one replacement, then Single/Gen to g alone.
std::vector<platform::IniEntry> BulkEntries(int g);
inline constexpr const char* kSingleSection = "Single";
inline constexpr const char* kSingleKey = "Gen";
inline constexpr const char* kBulkSection = "Bulk";
inline constexpr const char* kFirstBulkKey = "K00";

// The whole file (CR LF lines, a comment, foreign sections) with the bulk keys at g and
// Single/Gen at s.
std::string Render(int g, int s);

}  // namespace crash_layout
