#include "app/qt/display_memo.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/posix/freed_memory.h"

std::size_t DisplayMemo::Count() const {
    const QTextDocument* doc = edit_.document();
    const int blocks = doc->blockCount();
    return static_cast<std::size_t>(doc->lastBlock().length() <= 1 ? blocks - 1 : blocks);
}

std::string DisplayMemo::Line(std::size_t i) const {
    if (i >= Count()) return {};
    return edit_.document()->findBlockByNumber(static_cast<int>(i)).text().toStdString();
}

std::vector<bool> DisplayMemo::EmptyLines(std::size_t first, std::size_t count) const {
    std::vector<bool> empty(count, true);
    const std::size_t lines = Count();
    if (first >= lines) return empty;
    // One lookup by number, then a walk: lookups by number cost a search each.
    QTextBlock block = edit_.document()->findBlockByNumber(static_cast<int>(first));
    for (std::size_t k = 0; k < count && first + k < lines && block.isValid(); ++k) {
        empty[k] = block.length() <= 1;
        block = block.next();
    }
    return empty;
}

void DisplayMemo::Append(const std::string& line) {
    QScrollBar* bar = edit_.verticalScrollBar();
    const bool at_end = bar->value() >= bar->maximum();
    QTextDocument* doc = edit_.document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    // An empty last block is not a line yet: the new line goes into it.
    if (doc->lastBlock().length() > 1) cursor.insertBlock();
    cursor.insertText(QString::fromStdString(line));
    if (at_end) bar->setValue(bar->maximum());
}

void DisplayMemo::Clear() {
    edit_.clear();
    // A full display holds some 50 MB; without this the process keeps them after emptying it.
    platform::ReturnFreedMemory();
}

void DisplayMemo::SetLines(std::span<const std::string> lines) {
    std::string text;
    for (const std::string& line : lines) (text += line) += '\n';
    if (!text.empty()) text.pop_back();
    edit_.setUpdatesEnabled(false);
    // One insertion in one edit block: much cheaper than setPlainText for a day's lines.
    QTextDocument* doc = edit_.document();
    doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    cursor.insertText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    cursor.endEditBlock();
    doc->setModified(false);
    edit_.moveCursor(QTextCursor::Start);
    edit_.setUpdatesEnabled(true);
}
