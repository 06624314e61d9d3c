#include "app/qt/display_memo.h"

#include <QEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/posix/freed_memory.h"

// Tells the user's scrolling from the view's own moves. Only the user's input on the display
// (keys, wheel, mouse, the scroll bar's actions) decides whether the view follows: once it has
// been handled, the view follows exactly when it is at the end. The view moves by itself on a
// resize, a new font, being shown and more lines (not all of it is signalled): a following
// view is put back at the end each time.
class DisplayMemo::Follower : public QObject {
  public:
    explicit Follower(QPlainTextEdit& edit) : edit_(edit), bar_(*edit.verticalScrollBar()) {
        connect(&bar_, &QScrollBar::rangeChanged, this, [this] {
            if (following_ && !user_pending_) ToEnd();
        });
        connect(&bar_, &QScrollBar::actionTriggered, this, [this] { UserScrolled(); });
        edit_.installEventFilter(this);
        edit_.viewport()->installEventFilter(this);
        bar_.installEventFilter(this);
    }

    // Takes in the user's scrolling that has been handled but not looked at yet.
    bool Following() {
        if (user_pending_) {
            user_pending_ = false;
            following_ = AtEnd();
        }
        return following_;
    }
    void Follow() {
        user_pending_ = false;
        following_ = true;
        ToEnd();
    }
    void ToEnd() { bar_.setValue(bar_.maximum()); }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
                UserScrolled();
                break;
            case QEvent::MouseMove:  // dragging the slider or a selection
                if (static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton) UserScrolled();
                break;
            case QEvent::Show:
                // Shown (again), the view scrolls to its text cursor once it has laid itself out.
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (Following()) ToEnd();
                    },
                    Qt::QueuedConnection);
                break;
            default:
                break;
        }
        return false;
    }

  private:
    // The newest line whole in view (scrolled to the last line, the view may stand a fraction
    // of a line short of the scroll bar's end).
    bool AtEnd() const {
        if (bar_.value() >= bar_.maximum()) return true;
        QTextCursor end(edit_.document());
        end.movePosition(QTextCursor::End);
        return edit_.cursorRect(end).bottom() < edit_.viewport()->height();
    }

    // The input is looked at once it has been handled (or before the next line comes).
    void UserScrolled() {
        if (user_pending_) return;
        user_pending_ = true;
        QMetaObject::invokeMethod(
            this, [this] { Following(); }, Qt::QueuedConnection);
    }

    QPlainTextEdit& edit_;
    QScrollBar& bar_;
    bool following_ = true;
    bool user_pending_ = false;
};

DisplayMemo::DisplayMemo(QPlainTextEdit& edit)
    : edit_(edit), follower_(std::make_unique<Follower>(edit)) {}

DisplayMemo::~DisplayMemo() = default;

bool DisplayMemo::Following() const {
    return follower_->Following();
}

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
    const bool following = follower_->Following();
    QTextDocument* doc = edit_.document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    // An empty last block is not a line yet: the new line goes into it.
    if (doc->lastBlock().length() > 1) cursor.insertBlock();
    cursor.insertText(QString::fromStdString(line));
    if (following) follower_->ToEnd();
}

void DisplayMemo::Clear() {
    edit_.clear();
    follower_->Follow();
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
    // The text cursor at the end too: a view scrolls to it when first shown.
    edit_.moveCursor(QTextCursor::End);
    follower_->Follow();
    edit_.setUpdatesEnabled(true);
}
