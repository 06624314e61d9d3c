#pragma once
// What a program gives its engine: the platform's timers, serial devices and logic thread,
// the statistics files' folder operations and folder, the clock, and its own names. Every
// reference outlives the engine.

#include <functional>
#include <string>

#include "common/local_time.h"
#include "engine/statistics/file_system.h"
#include "platform/serial_device.h"
#include "platform/timer.h"
#include "platform/ui_thread.h"

struct EngineServices {
    platform::TimerFactory& timers;
    SerialBackend& serial;
    // The program's logic thread, which runs the engine (the window's GUI thread, the service's
    // loop); the serial event thread hands its events over to it.
    UiThread& logic_thread;
    statistics::FileSystem& files;
    std::string log_dir;  // the daily statistics files and the journal
    // The moment now: each sample is stamped with it, and the daily files are named after its
    // local date.
    std::function<SystemTime()> now = std::chrono::system_clock::now;
    // Each new record line is also handed here (the programs' --echo option); none: nowhere.
    std::function<void(const std::string& line)> echo_line;
    // Before the lines the engine writes to standard error, and the title of the warning that
    // a step failed.
    std::string program = "incubator-monitor";
    std::string title = "incubator-monitor";
};
