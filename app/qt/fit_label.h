#pragma once
// FitLabel: a label whose text always shows whole. Its font (the one set in the form, or the
// one it inherits) is the largest it uses; when the text does not fit the label, the label
// draws it in the largest smaller size that fits, and grows back as room returns. For the
// read-outs, where a cut text reads as a different number ("7,5625°" for "37,5625°C").

#include <QLabel>

class FitLabel : public QLabel {
  public:
    // Below this the text would no longer be legible; it is cut instead.
    static constexpr double kSmallestPointSize = 6.0;

    explicit FitLabel(QWidget* parent = nullptr);

    // The text, at once in the size that fits. (Hides QLabel::setText: a text set through a
    // QLabel pointer is fitted when it is painted.)
    void setText(const QString& text);

    // The largest font, the one the label shows when the text fits.
    const QFont& DesignFont() const { return design_; }

    // Keeps room for `text` in the smallest font, whatever the label shows now, so that the
    // layout around it does not change with its text.
    void SetWidestText(const QString& text);

    // The smallest size at which the text fits: the text in the smallest font.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  protected:
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

  private:
    // Sets the largest font, up to the design font, in which the text fits.
    void Fit();
    bool Fits(const QFont& font) const;
    QRect TextRoom() const;

    QFont design_;
    QString widest_;
    QString fitted_text_;
    double fitted_size_ = -1;  // of the font Fit set last
    bool fitting_ = false;
};
