#pragma once
// Running a poll loop in a test until something has happened.

#include <chrono>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/poll_loop.h"

// Runs `loop` until `done` holds (looked at every millisecond) or `limit` has passed, the
// guard against a test that would hang; returns done().
inline bool RunUntil(platform::PollLoop& loop, const std::function<bool()>& done,
                     std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    if (done()) return true;
    auto check = loop.CreateTimer();
    check->SetInterval(1);
    check->SetTickHandler([&] {
        if (done()) loop.Quit();
    });
    check->Start();
    auto guard = loop.CreateTimer();
    guard->SetInterval(static_cast<std::uint32_t>(limit.count()));
    guard->SetTickHandler([&] { loop.Quit(); });
    guard->Start();
    loop.Run();
    return done();
}

// Runs `loop` for `span` of real time.
inline void RunFor(platform::PollLoop& loop, std::chrono::milliseconds span) {
    auto end = loop.CreateTimer();
    end->SetInterval(static_cast<std::uint32_t>(span.count()));
    end->SetTickHandler([&] { loop.Quit(); });
    end->Start();
    loop.Run();
}

// Collects the messages of the errors that `loop` reports.
inline void ReportErrorsInto(platform::PollLoop& loop, std::vector<std::string>& messages) {
    loop.SetErrorReport([&messages](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            messages.push_back(x.what());
        }
    });
}

inline std::size_t OpenDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}
