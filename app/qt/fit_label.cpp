#include "app/qt/fit_label.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <algorithm>

namespace {

double PointSize(const QFont& font) {
    return font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
}

}  // namespace

FitLabel::FitLabel(QWidget* parent) : QLabel(parent), design_(font()) {}

void FitLabel::setText(const QString& text) {
    QLabel::setText(text);
    Fit();
}

QRect FitLabel::TextRoom() const {
    const int m = margin();
    return contentsRect().adjusted(m, m, -m, -m);
}

bool FitLabel::Fits(const QFont& font) const {
    const QRect room = TextRoom();
    return room.contains(QFontMetrics(font, this).boundingRect(room, int(alignment()), text()));
}

void FitLabel::Fit() {
    if (fitting_) return;
    fitted_text_ = text();
    const double design_size = PointSize(design_);
    QFont fitted = design_;
    if (!text().isEmpty() && !TextRoom().isEmpty() && design_size > kSmallestPointSize &&
        !Fits(design_)) {
        // Half points, largest first: the search ends on the largest size that fits.
        int low = static_cast<int>(kSmallestPointSize * 2);
        int high = static_cast<int>(design_size * 2) - 1;
        int best = low;
        while (low <= high) {
            const int mid = (low + high) / 2;
            fitted.setPointSizeF(mid / 2.0);
            if (Fits(fitted)) {
                best = mid;
                low = mid + 1;
            } else {
                high = mid - 1;
            }
        }
        fitted.setPointSizeF(best / 2.0);
    }
    fitted_size_ = fitted.pointSizeF();
    if (fitted == font()) return;
    fitting_ = true;
    setFont(fitted);
    fitting_ = false;
}

void FitLabel::SetWidestText(const QString& text) {
    widest_ = text;
    updateGeometry();
}

QSize FitLabel::minimumSizeHint() const {
    QFont smallest = design_;
    smallest.setPointSizeF(std::min(kSmallestPointSize, PointSize(design_)));
    const QFontMetrics metrics(smallest, this);
    const QRect unbounded(0, 0, 0xFFFF, 0xFFFF);
    const QSize text = metrics.boundingRect(unbounded, int(alignment()), this->text())
                           .size()
                           .expandedTo(metrics.boundingRect(unbounded, 0, widest_).size());
    const QMargins frame = contentsMargins();
    const int m = 2 * margin();
    return {text.width() + frame.left() + frame.right() + m,
            text.height() + frame.top() + frame.bottom() + m};
}

QSize FitLabel::sizeHint() const {
    // Not the text in its present size: the size follows the room, not the other way round.
    return minimumSizeHint();
}

void FitLabel::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange && !fitting_) {
        // A font set on the label is its new design; a change of family or style passed down
        // from the window keeps the size the label chose, and so the design size.
        QFont changed = font();
        if (fitted_size_ > 0 && changed.pointSizeF() == fitted_size_)
            changed.setPointSizeF(PointSize(design_));
        design_ = changed;
        Fit();
    }
    QLabel::changeEvent(e);
}

void FitLabel::resizeEvent(QResizeEvent* e) {
    QLabel::resizeEvent(e);
    Fit();
}

void FitLabel::paintEvent(QPaintEvent* e) {
    if (text() != fitted_text_) Fit();
    QLabel::paintEvent(e);
}
