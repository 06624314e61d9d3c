#include "engine/pending_lines.h"

void PendingLines::Add(std::string_view line) {
    text_.append("\r\n").append(line);
    if (follow_) follow_(text_);
}
