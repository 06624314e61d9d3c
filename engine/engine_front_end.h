#pragma once
// What a front end (the window, the service) does for its engine: show what it decodes and
// warns of. Called on the engine's one thread, from inside its steps.

#include <cstddef>
#include <string>

#include "common/warning.h"
#include "engine/telemetry_receiver.h"

class EngineFrontEnd {
  public:
    virtual ~EngineFrontEnd() = default;

    // A new sample, already pending the autosave (which the journal follows) and told to the
    // listeners (a chart's history): show it (read-outs, display, chart). Its line goes at
    // sample.history_index, which the engine counts. When its display_full is set,
    // DisplayStartsAfresh follows once the engine has autosaved.
    virtual void SampleDecoded(const TelemetrySample& sample) = 0;
    // The display starts afresh, empty, and the engine counts its lines from 0: the day's first
    // autosave created the daily file, or the lines reached the history's capacity and have
    // been autosaved.
    virtual void DisplayStartsAfresh() = 0;
    // An unattended warning, up for its `seconds` (the window: a tray balloon, a notice or the
    // status bar; the service: standard error).
    virtual void Warn(const Warning& warning) = 0;
    // The port counts as started (open, or being opened again) or stopped: the window's button
    // reads "Стоп" or "Старт".
    virtual void PortStartedChanged(bool started) = 0;
};
