#pragma once
// Sound playback on a thread of its own, so that neither a slow sound service nor a file on a
// slow disk ever holds up the UI thread. Calls are handed over in a one-slot mailbox: a newer
// call replaces one not yet started, since a newer playback replaces the older anyway.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/posix/sound_choice.h"
#include "platform/sound.h"

namespace platform {

// The sound library's side, used only on the sound thread.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Starts `request`, replacing a playback in progress.
    virtual PlayOutcome Play(const SoundRequest& request) = 0;
    virtual void Stop() = 0;
};

class AsyncSound : public Sound {
  public:
    struct Options {
        std::string executable_folder;
        std::function<bool(const std::string&)> playable = IsPlayableFile;
        std::function<OutputBackoff::Clock::time_point()> now = OutputBackoff::Clock::now;
    };

    // `make_output` is called on the sound thread, before the first sound, and the output
    // lives and dies there.
    AsyncSound(std::function<std::unique_ptr<SoundOutput>()> make_output, Options options);
    ~AsyncSound() override;
    AsyncSound(const AsyncSound&) = delete;
    AsyncSound& operator=(const AsyncSound&) = delete;

    void Play(const std::string& file) override;
    void Stop() override;

    // Returns when the sound thread has handled every call made before (for tests).
    void WaitIdle();

  private:
    struct Command {
        bool play = false;
        std::string file;
    };

    void Post(Command command);
    void Run();
    void Handle(const Command& command);

    std::function<std::unique_ptr<SoundOutput>()> make_output_;
    Options options_;
    std::unique_ptr<SoundOutput> output_;  // sound thread only
    OutputBackoff backoff_;                // sound thread only

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Command> pending_;
    bool busy_ = false;
    bool quit_ = false;
    std::thread thread_;  // last: starts when everything it uses is there
};

}  // namespace platform
