#pragma once
#include <QWidget>
class SerialLedWidget : public QWidget {
  public:
    using QWidget::QWidget;
};
