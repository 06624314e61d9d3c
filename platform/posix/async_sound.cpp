#include "platform/posix/async_sound.h"

#include <utility>

namespace platform {

AsyncSound::AsyncSound(std::function<std::unique_ptr<SoundOutput>()> make_output, Options options)
    : make_output_(std::move(make_output)),
      options_(std::move(options)),
      thread_([this] { Run(); }) {}

AsyncSound::~AsyncSound() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void AsyncSound::Play(const std::string& file) {
    Post({true, file});
}

void AsyncSound::Stop() {
    Post({false, {}});
}

void AsyncSound::Post(Command command) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(command);
    }
    wake_.notify_one();
}

void AsyncSound::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !busy_; });
}

void AsyncSound::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || pending_; });
        if (quit_) break;
        const Command command = std::move(*pending_);
        pending_.reset();
        busy_ = true;
        lock.unlock();
        Handle(command);
        lock.lock();
        busy_ = false;
        if (!pending_) idle_.notify_all();
    }
    lock.unlock();
    output_.reset();
    // Anyone still waiting for idle must not wait for a thread that has ended.
    lock.lock();
    pending_.reset();
    idle_.notify_all();
}

void AsyncSound::Handle(const Command& command) {
    if (!command.play) {
        if (output_) output_->Stop();
        return;
    }
    const SoundRequest request =
        ChooseSound(command.file, options_.executable_folder, options_.playable);
    const auto now = options_.now();
    if (!backoff_.MayTry(now)) return;
    if (!output_) output_ = make_output_();
    if (!output_) {
        backoff_.Failed(now);
        return;
    }
    PlayOutcome outcome = output_->Play(request);
    if (outcome == PlayOutcome::BadFile && request.kind == SoundRequest::Kind::File)
        outcome = output_->Play({SoundRequest::Kind::Warning, {}});
    if (outcome == PlayOutcome::NoDevice)
        backoff_.Failed(now);
    else
        backoff_.Succeeded();
}

}  // namespace platform
