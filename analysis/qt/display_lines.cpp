#include "analysis/qt/display_lines.h"

#include <QStringEncoder>
#include <QTextBlock>
#include <QTextDocument>
#include <string>

void ForEachDisplayLine(const QTextDocument& document,
                        const std::function<void(std::string_view)>& line) {
    // One buffer for all lines: a display holds tens of thousands of them.
    QStringEncoder to_utf8(QStringConverter::Utf8);
    std::string buffer;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        buffer.resize(static_cast<std::size_t>(to_utf8.requiredSpace(text.size())));
        const char* end = to_utf8.appendToBuffer(buffer.data(), text);
        line(std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.data())));
    }
}
