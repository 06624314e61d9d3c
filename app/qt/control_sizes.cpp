#include "app/qt/control_sizes.h"

#include <QEvent>
#include <QLayout>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

void FitEditWidths(const QString& sample, std::initializer_list<QLineEdit*> edits) {
    for (QLineEdit* edit : edits) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(
                                                  QStyle::PM_DefaultFrameWidth, &option, edit)
                                            : 0;
        const QMargins margins = edit->textMargins();
        // The edit keeps 2 pixels each side of its text, and one more for the cursor.
        const int text = edit->fontMetrics().horizontalAdvance(sample) + 2 * 2 + 1 +
                         margins.left() + margins.right();
        const QSize size = edit->style()->sizeFromContents(
            QStyle::CT_LineEdit, &option, QSize(text, edit->sizeHint().height()), edit);
        edit->setFixedWidth(size.width());
    }
}

namespace {

void Hold(QWidget& window) {
    // The style's polish changes sizes by a pixel here and there, and each layout keeps what it
    // measured before.
    window.ensurePolished();
    for (QLayout* layout : window.findChildren<QLayout*>()) layout->invalidate();
    const QSize held = window.minimumSize().expandedTo(window.minimumSizeHint());
    if (held != window.minimumSize()) window.setMinimumSize(held);
}

// Holds the minimum again whenever the window is shown: only then are the sizes final.
class MinimumHold : public QObject {
  public:
    explicit MinimumHold(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) Hold(window_);
        return false;
    }

  private:
    QWidget& window_;
};

}  // namespace

void HoldMinimumToLayout(QWidget& window) {
    Hold(window);
    new MinimumHold(window);
}
