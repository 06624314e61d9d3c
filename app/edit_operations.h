#pragma once
// Texts of the edit menu's operations on the display.

#include <string>
#include <string_view>

#include "engine/display_lines.h"

// One channel's values, one per display line in order (empty lines included), each followed
// by CR LF; `field` is one of the record-line parsers.
std::string ChannelCopyText(const DisplayLines& lines, std::string (*field)(std::string_view));

// The status-bar text for the caret in display line `line` (0-based): "Строка 3".
std::string LineNumberText(int line);

// The tray icon's tip: the read-outs on four lines, "T1=37,5°C" ... "55%", CR separated.
std::string TrayTipText(const std::string& panel1, const std::string& panel2,
                        const std::string& t3hm);
