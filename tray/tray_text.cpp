#include "tray/tray_text.h"

#include "common/utf8.h"
#include "platform/tray_shell.h"

namespace tray {

std::string RecordText(std::string_view s, std::size_t max_chars) {
    std::string plain;
    plain.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r') {
            plain += s[i];
        } else {
            plain += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        }
    }
    plain.resize(text::Utf8Prefix(plain, max_chars).size());
    return plain;
}

std::string TipText(std::string_view hint, bool show_hint) {
    if (!show_hint || hint.empty()) return {};
    return RecordText(hint, kTipLength);
}

std::uint32_t BalloonFlag(TBalloonIconKind kind) {
    switch (kind) {
        case biInfo:
            return platform::kBalloonInfo;
        case biWarning:
            return platform::kBalloonWarning;
        case biError:
            return platform::kBalloonError;
        case biUser:
            return platform::kBalloonUser;
        case biNone:
            break;
    }
    return platform::kBalloonNone;
}

}  // namespace tray
