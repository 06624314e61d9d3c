#pragma once
// TFormHint: the floating read-out beside the mouse over the chart: time, T1, T2, T3 in white
// on a translucent black, borderless window. It never takes the focus or the mouse.

#include <QWidget>
#include <memory>

namespace Ui {
class TFormHint;
}

class TFormHint : public QWidget {
  public:
    explicit TFormHint(QWidget* parent = nullptr);
    ~TFormHint() override;

    Ui::TFormHint& ui() { return *ui_; }
    // Time, then T1, T2, T3 ("T1=37,5").
    void SetTexts(const QString& time, const QString& t1, const QString& t2, const QString& t3);

  private:
    std::unique_ptr<Ui::TFormHint> ui_;
};
