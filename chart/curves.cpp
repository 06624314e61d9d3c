#include "chart/curves.h"

#include <stdexcept>

#include "chart/graph_m.h"

std::unique_ptr<TCurve> TCurve::Create(TCurves& collection) {
    return std::make_unique<TCurve>(&collection);
}

void TCurve::SetThickLine(int value) {
    if (value == ThickLine_) return;
    ThickLine_ = value;
    Changed();
}

void TCurve::SetColorGraph(TColor value) {
    if (value == ColorGraph_) return;
    ColorGraph_ = value;
    Changed();
}

void TCurve::SetDetails(bool value) {
    if (value == Details_) return;
    Details_ = value;
    Changed();
}

void TCurve::SetLegendName(const std::string& value) {
    if (value == LegendName_) return;
    LegendName_ = value;
    Changed();
}

void TCurve::AddPoint(double x, double y) {
    XValues_.push_back(x);
    YValues_.push_back(y);
    RequestRepaint();
}

void TCurve::Clear() {
    // Length 0; the capacity stays for the refill that usually follows.
    XValues_.clear();
    YValues_.clear();
    RequestRepaint();
}

void TCurve::Assign(const TCurve& source) {
    SetColorGraph(source.ColorGraph());
    SetThickLine(source.ThickLine());
    SetDetails(source.Details());
}

int TCurve::Index() const {
    if (!collection_) return -1;
    for (int i = 0; i < collection_->Count(); ++i)
        if (&collection_->Items(i) == this) return i;
    return -1;
}

void TCurve::Changed() {
    if (collection_) collection_->Changed();
}

void TCurve::RequestRepaint() {
    if (collection_ && collection_->Owner()) collection_->Owner()->Invalidate();
}

TCurve& TCurves::Add() {
    const ItemFactory make = chart_ ? chart_->CurveClass() : &TCurve::Create;
    items_.push_back(make(*this));
    Changed();
    return *items_.back();
}

void TCurves::Delete(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("TCurves::Delete");
    items_.erase(items_.begin() + index);
    Changed();
}

void TCurves::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

void TCurves::Assign(const TCurves& source) {
    if (&source == this) return;
    BeginUpdate();
    items_.clear();
    for (int i = 0; i < source.Count(); ++i) {
        const ItemFactory make = chart_ ? chart_->CurveClass() : &TCurve::Create;
        items_.push_back(make(*this));
        items_.back()->Assign(source.Items(i));
    }
    EndUpdate();
}

void TCurves::EndUpdate() {
    if (update_count_ > 0) --update_count_;
    Changed();
}

void TCurves::Changed() {
    if (update_count_ == 0) Update();
}

void TCurves::Update() {
    if (chart_) chart_->Invalidate();
}
