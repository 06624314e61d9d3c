#pragma once
// A sound for tests: plays nothing, records each call in order.

#include <string>
#include <vector>

#include "platform/sound.h"

namespace platform {

class RecordingSound : public Sound {
  public:
    struct Call {
        bool play;         // false: Stop
        std::string file;  // Play only, as given
        friend bool operator==(const Call&, const Call&) = default;
    };

    void Play(const std::string& file) override { calls.push_back({true, file}); }
    void Stop() override { calls.push_back({false, {}}); }

    // The files played, in order.
    std::vector<std::string> Played() const {
        std::vector<std::string> files;
        for (const Call& call : calls)
            if (call.play) files.push_back(call.file);
        return files;
    }
    int Stops() const {
        int n = 0;
        for (const Call& call : calls) n += call.play ? 0 : 1;
        return n;
    }

    std::vector<Call> calls;
};

}  // namespace platform
