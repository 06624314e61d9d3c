#include "analysis/qt/display_lines.h"

#include <QStringEncoder>
#include <QTextDocument>
#include <string>

void ForEachDisplayLine(const QTextDocument& document,
                        const std::function<void(std::string_view)>& line) {
    // The raw text holds the blocks separated by U+2029 and is gathered in one pass; asking
    // each block for its text looks the block up again, several times slower on a full
    // display.
    const QString raw = document.toRawText();
    QStringEncoder to_utf8(QStringConverter::Utf8);
    std::string buffer;  // one for all lines
    QStringView rest(raw);
    for (;;) {
        const qsizetype end = rest.indexOf(QChar::ParagraphSeparator);
        const QStringView block = end < 0 ? rest : rest.first(end);
        buffer.resize(static_cast<std::size_t>(to_utf8.requiredSpace(block.size())));
        const char* stop = to_utf8.appendToBuffer(buffer.data(), block);
        line(std::string_view(buffer.data(), static_cast<std::size_t>(stop - buffer.data())));
        if (end < 0) break;
        rest = rest.sliced(end + 1);
    }
}
