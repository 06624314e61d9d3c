#pragma once
// The chart's curves: TCurve holds one curve's style and points, TCurves the chart's
// ordered collection of them. Changes repaint the chart that owns the collection.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/canvas.h"

class TGraphM;
class TCurves;

class TCurve {
  public:
    explicit TCurve(TCurves* collection = nullptr) : collection_(collection) {}
    virtual ~TCurve() = default;
    TCurve(const TCurve&) = delete;
    TCurve& operator=(const TCurve&) = delete;

    // The default item class of a collection.
    static std::unique_ptr<TCurve> Create(TCurves& collection);

    int ThickLine() const { return ThickLine_; }
    void SetThickLine(int value);
    TColor ColorGraph() const { return ColorGraph_; }
    void SetColorGraph(TColor value);
    bool Details() const { return Details_; }
    void SetDetails(bool value);
    const std::string& LegendName() const { return LegendName_; }
    void SetLegendName(const std::string& value);

    // Point i is (XValues[i], YValues[i]), in the order added.
    const std::vector<double>& XValues() const { return XValues_; }
    const std::vector<double>& YValues() const { return YValues_; }
    std::size_t PointCount() const { return XValues_.size(); }

    void AddPoint(double x, double y);
    void Clear();

    // Copies ColorGraph, ThickLine and Details (not the name, not the points).
    virtual void Assign(const TCurve& source);

    TCurves* Collection() const { return collection_; }
    // Position in the collection, -1 without one.
    int Index() const;

  private:
    void Changed();
    void RequestRepaint();

    TCurves* collection_;
    int ThickLine_ = 1;
    TColor ColorGraph_ = clBlack;
    bool Details_ = false;
    std::string LegendName_;
    std::vector<double> XValues_;
    std::vector<double> YValues_;
};

class TCurves {
  public:
    using ItemFactory = std::unique_ptr<TCurve> (*)(TCurves& collection);

    // `chart` may be null: a free collection whose items are plain TCurves.
    explicit TCurves(TGraphM* chart) : chart_(chart) {}
    virtual ~TCurves() = default;
    TCurves(const TCurves&) = delete;
    TCurves& operator=(const TCurves&) = delete;

    TGraphM* Owner() const { return chart_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Throws std::out_of_range for an index outside 0 .. Count - 1.
    TCurve& Items(int index) { return *items_.at(static_cast<std::size_t>(index)); }
    const TCurve& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }

    // A new item of the chart's CurveClass at the end.
    TCurve& Add();
    void Delete(int index);
    void Clear();
    // Replaces the items by new ones assigned from `source`'s, item by item.
    void Assign(const TCurves& source);

    // Hold back change notifications (not the repaints of AddPoint and Clear).
    void BeginUpdate() { ++update_count_; }
    void EndUpdate();

    // An item or the list changed.
    void Changed();

  protected:
    // Runs for a change outside an update bracket: repaints the chart.
    virtual void Update();

  private:
    TGraphM* chart_;
    std::vector<std::unique_ptr<TCurve>> items_;
    int update_count_ = 0;
};
