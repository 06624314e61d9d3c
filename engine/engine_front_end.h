#pragma once
// What a front end (the window, the service) does for its engine: show what it decodes and
// warns of. Called on the engine's one thread, from inside its steps.

#include <cstddef>
#include <string>

#include "engine/telemetry_receiver.h"

class EngineFrontEnd {
  public:
    virtual ~EngineFrontEnd() = default;

    // The record lines shown now, which is the next line's history index (the window: its
    // display's line count; the service: its own count, which DisplayStartsAfresh restarts).
    virtual std::size_t DisplayLineCount() const = 0;
    // A new sample, already in the history, the autosave's buffer and the journal: show it
    // (read-outs, display, chart) before returning, so that DisplayLineCount counts its line.
    // When its display_full is set, DisplayStartsAfresh follows once the engine has autosaved.
    virtual void SampleDecoded(const TelemetrySample& sample) = 0;
    // The display starts afresh, empty: the day's first autosave created the daily file, or
    // the display reached the history's capacity and its lines have been autosaved.
    virtual void DisplayStartsAfresh() = 0;
    // An unattended warning, up for `seconds` (the window: a tray balloon, a notice or the
    // status bar; the service: standard error).
    virtual void Warn(const std::string& title, const std::string& text, unsigned seconds) = 0;
    // The port counts as started (open, or being opened again) or stopped: the window's button
    // reads "Стоп" or "Старт".
    virtual void PortStartedChanged(bool started) = 0;
};
