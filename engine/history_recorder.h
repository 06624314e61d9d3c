#pragma once
// The sample history as a listener: each sample's values at its line's index, for a chart. A
// program that draws one attaches a recorder to its engine; a program without a chart keeps no
// history at all.

#include <memory>

#include "engine/engine_listener.h"
#include "engine/sample_history.h"

class HistoryRecorder : public EngineListener {
  public:
    HistoryRecorder() : history_(std::make_unique<SampleHistory>()) {}

    const SampleHistory& History() const { return *history_; }
    // Puts a history built apart (from an opened file's lines) in place of this one.
    void Replace(std::unique_ptr<SampleHistory> history) { history_ = std::move(history); }

    void SampleReceived(const TelemetrySample& sample) override {
        const DecodedSample& v = sample.values;
        history_->Store(sample.history_index, {v.t1, v.t2, v.t3, v.hm, v.heater});
    }

  private:
    std::unique_ptr<SampleHistory> history_;
};
