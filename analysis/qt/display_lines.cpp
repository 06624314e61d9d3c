#include "analysis/qt/display_lines.h"

#include <QByteArray>
#include <QTextDocument>
#include <string_view>

void ForEachDisplayLine(const QTextDocument& document,
                        const std::function<void(std::string_view)>& line) {
    // The raw text holds the blocks separated by U+2029 and is gathered in one pass, then
    // converted in one piece: per-block texts or per-block conversions cost several times
    // more on a full display.
    const QByteArray utf8 = document.toRawText().toUtf8();
    constexpr std::string_view kSeparator = "\xE2\x80\xA9";  // U+2029 in UTF-8
    std::string_view rest(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    for (;;) {
        const std::size_t end = rest.find(kSeparator);
        line(rest.substr(0, end));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + kSeparator.size());
    }
}
