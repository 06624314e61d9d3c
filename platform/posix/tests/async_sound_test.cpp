#include "platform/posix/async_sound.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::AsyncSound;
using platform::OutputBackoff;
using platform::PlayOutcome;
using platform::SoundOutput;
using platform::SoundRequest;
using namespace std::chrono_literals;

// What the output saw, shared with the test; the output itself lives on the sound thread.
struct Log {
    std::mutex mutex;
    std::vector<std::string> calls;               // "file:<path>", "warning", "stop"
    std::map<std::string, PlayOutcome> outcomes;  // by call; Played when not listed
    std::thread::id made_on;
    int outputs_made = 0;
    // While set, Play waits until the test opens the gate.
    bool gate_closed = false;
    bool entered_gate = false;
    std::condition_variable gate;

    std::vector<std::string> Calls() {
        std::lock_guard lock(mutex);
        return calls;
    }
};

class FakeOutput : public SoundOutput {
  public:
    explicit FakeOutput(Log& log) : log_(log) {}
    PlayOutcome Play(const SoundRequest& request) override {
        std::unique_lock lock(log_.mutex);
        const std::string call =
            request.kind == SoundRequest::Kind::File ? "file:" + request.path : "warning";
        log_.calls.push_back(call);
        log_.entered_gate = true;
        log_.gate.notify_all();
        log_.gate.wait(lock, [this] { return !log_.gate_closed; });
        const auto found = log_.outcomes.find(call);
        return found == log_.outcomes.end() ? PlayOutcome::Played : found->second;
    }
    void Stop() override {
        std::lock_guard lock(log_.mutex);
        log_.calls.push_back("stop");
    }

  private:
    Log& log_;
};

class AsyncSoundTest : public ::testing::Test {
  protected:
    std::unique_ptr<AsyncSound> Make() {
        AsyncSound::Options options;
        options.executable_folder = "/opt/app";
        options.playable = [](const std::string& path) { return path.ends_with(".wav"); };
        options.now = [this] { return OutputBackoff::Clock::time_point(now.load()); };
        return std::make_unique<AsyncSound>(
            [this] {
                std::lock_guard lock(log.mutex);
                log.made_on = std::this_thread::get_id();
                ++log.outputs_made;
                return std::make_unique<FakeOutput>(log);
            },
            std::move(options));
    }
    void SetOutcome(const std::string& call, PlayOutcome outcome) {
        std::lock_guard lock(log.mutex);
        log.outcomes[call] = outcome;
    }

    Log log;
    std::atomic<OutputBackoff::Clock::duration> now{OutputBackoff::Clock::duration::zero()};
};

using Calls = std::vector<std::string>;

TEST_F(AsyncSoundTest, PlaysNamesBesideTheExecutableAndTheWarningForTheRest) {
    SetOutcome("file:/opt/app/broken.wav", PlayOutcome::BadFile);
    auto sound = Make();
    for (const char* name : {"alarm.wav", "/elsewhere/missing.mp3", "broken.wav"}) {
        sound->Play(name);
        sound->WaitIdle();
    }
    sound->Stop();
    sound->WaitIdle();
    EXPECT_EQ(log.Calls(), (Calls{"file:/opt/app/alarm.wav", "warning", "file:/opt/app/broken.wav",
                                  "warning", "stop"}));
}

TEST_F(AsyncSoundTest, WithoutADeviceSoundsAreSkippedForAWhile) {
    SetOutcome("file:/opt/app/alarm.wav", PlayOutcome::NoDevice);
    SetOutcome("warning", PlayOutcome::NoDevice);
    auto sound = Make();
    sound->Play("alarm.wav");
    sound->WaitIdle();
    now = now.load() + std::chrono::duration_cast<OutputBackoff::Clock::duration>(3s);
    sound->Play("alarm.wav");
    sound->Play("missing");
    sound->WaitIdle();
    EXPECT_EQ(log.Calls(), Calls{"file:/opt/app/alarm.wav"});

    now = now.load() + std::chrono::duration_cast<OutputBackoff::Clock::duration>(60s);
    sound->Play("missing");
    sound->WaitIdle();
    EXPECT_EQ(log.Calls(), (Calls{"file:/opt/app/alarm.wav", "warning"}));
}

TEST_F(AsyncSoundTest, CallsMadeWhileASoundStartsKeepOnlyTheNewest) {
    {
        std::lock_guard lock(log.mutex);
        log.gate_closed = true;
    }
    auto sound = Make();
    sound->Play("first.wav");
    {
        std::unique_lock lock(log.mutex);
        log.gate.wait(lock, [this] { return log.entered_gate; });
    }
    // The sound thread is busy with the first; these wait, and each replaces the one before.
    sound->Play("second.wav");
    sound->Stop();
    sound->Play("third.wav");
    {
        std::lock_guard lock(log.mutex);
        log.gate_closed = false;
    }
    log.gate.notify_all();
    sound->WaitIdle();
    EXPECT_EQ(log.Calls(), (Calls{"file:/opt/app/first.wav", "file:/opt/app/third.wav"}));
}

TEST_F(AsyncSoundTest, TheOutputLivesOnTheSoundThreadAndOnlyOnceNeeded) {
    auto sound = Make();
    sound->Stop();
    sound->WaitIdle();
    EXPECT_EQ(log.outputs_made, 0);
    EXPECT_EQ(log.Calls(), Calls{});

    sound->Play("a.wav");
    sound->Play("b.wav");
    sound->WaitIdle();
    EXPECT_EQ(log.outputs_made, 1);
    EXPECT_NE(log.made_on, std::this_thread::get_id());
}

}  // namespace
