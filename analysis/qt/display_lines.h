#pragma once
// The lines of a plain-text display, one call per line, as UTF-8.

#include <functional>
#include <string_view>

class QTextDocument;

// Calls `line` for every block of `document`, first to last, empty ones included. The view
// is valid during the call only.
void ForEachDisplayLine(const QTextDocument& document,
                        const std::function<void(std::string_view)>& line);
