// The chart area: the window of samples, the scroll bars, the mouse read-out, the colours,
// the curve menu and the heater curve.
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

#include "app/configuration.h"
#include "app/qt/form1.h"
#include "app/qt/form_hint.h"
#include "app/qt/widget_colors.h"
#include "chart/qt/graph_m_widget.h"
#include "ui_form1.h"

namespace {

void MarkBadNumber(QLineEdit& edit, bool bad) {
    edit.setStyleSheet(bad ? QStringLiteral("background-color: #ff8080;") : QString());
}

}  // namespace

void TForm1::WireChart() {
    SetUpMainChart(GraphM1());
    GraphM1().OnMouseMove = [this](TGraphM&, TShiftState, int x, int y) {
        UserAction([&] { GraphM1MouseMove(x, y); });
    };
    ui_->GraphM1->installEventFilter(this);
    auto on_change = [this](QScrollBar* bar, void (TForm1::*handler)()) {
        connect(bar, &QScrollBar::valueChanged, this,
                [this, handler] { UserAction([&] { (this->*handler)(); }); });
    };
    on_change(ui_->ScrollBarGainY, &TForm1::ScrollBarGainYChange);
    on_change(ui_->ScrollBarPosY, &TForm1::ScrollBarGainYChange);
    on_change(ui_->ScrollBarXScale, &TForm1::ScrollBarXScaleChange);
    on_change(ui_->ScrollBarAllGraf, &TForm1::ScrollBarAllGrafChange);
    connect(ui_->ScrollBarAllGraf, &QScrollBar::rangeChanged, this,
            [this] { UserAction([&] { ScrollBarAllGrafChange(); }); });
    // The user's scrolling refills the chart; programmatic moves only change the hint.
    connect(ui_->ScrollBarAllGraf, &QScrollBar::actionTriggered, this,
            [this] { UserAction([&] { ScrollBarAllGrafScroll(); }); });

    connect(ui_->SpBtnDetails, &QToolButton::clicked, this,
            [this] { UserAction([&] { SpBtnDetailsClick(); }); });
    connect(ui_->ChBoxGrafNagrev, &QCheckBox::clicked, this,
            [this] { UserAction([&] { ChBoxGrafNagrevClick(); }); });
    for (QLabel* label : {ui_->LbColorT1, ui_->LbColorT2, ui_->LbColorT3, ui_->LbHmColor,
                          ui_->LbColorFon, ui_->LbGirdColor, ui_->Label1})
        label->installEventFilter(this);
    connect(ui_->Panel4, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_curves_->popup(ui_->Panel4->mapToGlobal(at)); });
    for (QWidget* w : {static_cast<QWidget*>(ui_->ChBoxGrafNagrev),
                       static_cast<QWidget*>(ui_->EdOfsetNagreCurve),
                       static_cast<QWidget*>(ui_->EdHeightNagreCurve)})
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { popup_heater_->popup(w->mapToGlobal(at)); });
    for (QLineEdit* e : {ui_->EdOfsetNagreCurve, ui_->EdHeightNagreCurve})
        e->installEventFilter(this);
}

void TForm1::ApplyChartStart() {
    const bool heater = ui_->ChBoxGrafNagrev->isChecked();
    ui_->EdOfsetNagreCurve->setEnabled(heater);
    ui_->EdHeightNagreCurve->setEnabled(heater);
    const TColor colors[] = {GraphM1().Curves().Items(curve::kT1).ColorGraph(),
                             GraphM1().Curves().Items(curve::kT2).ColorGraph(),
                             GraphM1().Curves().Items(curve::kT3).ColorGraph(),
                             GraphM1().Curves().Items(curve::kHM).ColorGraph()};
    QLabel* labels[] = {ui_->LbColorT1, ui_->LbColorT2, ui_->LbColorT3, ui_->LbHmColor};
    for (int i = 0; i < 4; ++i) SetTextColor(*labels[i], ToQColor(colors[i]));
    SetBackground(*ui_->Panel4, ToQColor(GraphM1().Color()));
    SetTextColor(*ui_->LbGirdColor, ToQColor(GraphM1().ColorGrid()));
    GraphM1().SetMaxXValue(ui_->ScrollBarXScale->value() + 50);
    ScrollBarGainYChange();
    ui_->ScrollBarAllGraf->setPageStep(ui_->ScrollBarXScale->value());
    PMenuWindow->setChecked(window_settings_.ShowWindow);
}

CurveSelection TForm1::Selection() const {
    return {PMenuT1->isChecked(), PMenuT2->isChecked(), PMenuT3->isChecked(), PMenuHm->isChecked(),
            ui_->ChBoxGrafNagrev->isChecked()};
}

void TForm1::FillChart(int E) {
    const int L = ui_->ScrollBarXScale->value() + 50;
    const FillChartResult r = ::FillChart(GraphM1(), E, L, memo_, history_.History(), Selection(),
                                          ui_->EdOfsetNagreCurve->text().toStdString(),
                                          ui_->EdHeightNagreCurve->text().toStdString(), window_);
    ui_->LabelEndPoint->setText(QString::fromStdString(r.end_time));
    ui_->LabelEndPoint->setToolTip(QString::fromStdString(r.end_date));
    if (r.begin) {
        ui_->LabelBeginPoint->setText(QString::fromStdString(r.begin->first));
        ui_->LabelBeginPoint->setToolTip(QString::fromStdString(r.begin->second));
    }
    MarkBadNumber(*ui_->EdOfsetNagreCurve, !r.offset_ok);
    MarkBadNumber(*ui_->EdHeightNagreCurve, !r.height_ok);
}

void TForm1::ScrollBarGainYChange() {
    ApplyVerticalRange(GraphM1(), ui_->ScrollBarPosY->value(), ui_->ScrollBarPosY->maximum(),
                       ui_->ScrollBarGainY->value());
}

void TForm1::ScrollBarXScaleChange() {
    ApplyWindowLength(GraphM1(), ui_->ScrollBarXScale->value());
    ui_->ScrollBarAllGraf->setPageStep(ui_->ScrollBarXScale->value());
}

void TForm1::ScrollBarAllGrafScroll() {
    QScrollBar* bar = ui_->ScrollBarAllGraf;
    const int last = static_cast<int>(memo_.Count()) - 1;
    // The action's new position; value() still holds the old one.
    int position = bar->sliderPosition();
    if (last < position) {
        position = last;
        bar->setSliderPosition(position);
    }
    if (position <= 0) return;
    FillChart(last - (bar->maximum() - position));
}

void TForm1::ScrollBarAllGrafChange() {
    QScrollBar* bar = ui_->ScrollBarAllGraf;
    const int last = static_cast<int>(memo_.Count()) - 1;
    if (last > bar->maximum()) return;
    bar->setToolTip(QString::fromStdString(HistoryHint(memo_, bar->value())));
}

void TForm1::GraphM1MouseMove(int X, int Y) {
    TGraphM& chart = GraphM1();
    const TGraphM::TValuePoint v = chart.PointToValue({X, Y});
    DrawCrossHair(chart, v.x, v.y, PMenuPerekrestie->isChecked());
    const MouseReadout readout = ReadoutAt(v.x, v.y, window_, memo_);
    ui_->LbCurrentStr->setText(QString::fromStdString(readout.current));
    if (!readout.hint) {
        hint_->hide();
        return;
    }
    hint_->SetTexts(
        QString::fromStdString(readout.hint->time), QString::fromStdString(readout.hint->t1),
        QString::fromStdString(readout.hint->t2), QString::fromStdString(readout.hint->t3));
    // Beside the mouse, wherever the chart sits in the window.
    hint_->move(ui_->GraphM1->mapToGlobal(QPoint(X + 20, Y - 20)));
    if (window_settings_.ShowWindow) hint_->show();
}

void TForm1::FormMouseMove() {
    hint_->hide();
}

void TForm1::SpBtnDetailsClick() {
    GraphM1().SetDetails(!GraphM1().Details());
}

void TForm1::ChooseColor(TColor initial, config::ChartColorKey key,
                         const std::function<void(TColor)>& apply) {
    const std::optional<TColor> chosen = services_.dialogs.ChooseColor(this, initial);
    if (!chosen) return;
    apply(*chosen);
    platform::IniFile ini(services_.config_path);
    config::WriteColor(ini, key, *chosen);
}

void TForm1::ChooseCurveColor(int index, QLabel& label, config::ChartColorKey key) {
    TCurve& c = GraphM1().Curves().Items(index);
    ChooseColor(c.ColorGraph(), key, [&](TColor color) {
        SetTextColor(label, ToQColor(color));
        c.SetColorGraph(color);
    });
}

void TForm1::LbColorT1Click() {
    ChooseCurveColor(curve::kT1, *ui_->LbColorT1, config::ChartColorKey::ckT1);
}

void TForm1::LbColorT2Click() {
    ChooseCurveColor(curve::kT2, *ui_->LbColorT2, config::ChartColorKey::ckT2);
}

void TForm1::LbColorT3Click() {
    ChooseCurveColor(curve::kT3, *ui_->LbColorT3, config::ChartColorKey::ckT3);
}

void TForm1::LbHmColorClick() {
    ChooseCurveColor(curve::kHM, *ui_->LbHmColor, config::ChartColorKey::ckHM);
}

void TForm1::LbColorFonClick() {
    ChooseColor(GraphM1().Color(), config::ChartColorKey::ckFon, [&](TColor color) {
        SetBackground(*ui_->Panel4, ToQColor(color));
        GraphM1().SetColor(color);
    });
}

void TForm1::LbGirdColorClick() {
    ChooseColor(GraphM1().ColorGrid(), config::ChartColorKey::ckGird, [&](TColor color) {
        SetTextColor(*ui_->LbGirdColor, ToQColor(color));
        GraphM1().SetColorGrid(color);
    });
}

void TForm1::N10Click() {
    TCurve& c = GraphM1().Curves().Items(curve::kHeater);
    ChooseColor(c.ColorGraph(), config::ChartColorKey::ckNagrev,
                [&](TColor color) { c.SetColorGraph(color); });
}

void TForm1::Label1Click() {
    popup_curves_->popup(mapToGlobal(ui_->Panel4->mapTo(this, QPoint(0, 0))));
}

void TForm1::PMenuWindowClick() {
    window_settings_.ShowWindow = PMenuWindow->isChecked();
}

void TForm1::ChBoxGrafNagrevClick() {
    const bool on = ui_->ChBoxGrafNagrev->isChecked();
    ui_->EdOfsetNagreCurve->setEnabled(on);
    ui_->EdHeightNagreCurve->setEnabled(on);
}
