#pragma once
// Sound through libcanberra, the desktop's event-sound library: files, and the sound theme's
// warning sound in place of a file that cannot be played.

#include <memory>
#include <string>

#include "platform/posix/async_sound.h"
#include "platform/sound.h"

namespace platform {

// One canberra context; every playback has the same id, so a new one cancels the last.
class CanberraOutput : public SoundOutput {
  public:
    CanberraOutput();
    ~CanberraOutput() override;
    CanberraOutput(const CanberraOutput&) = delete;
    CanberraOutput& operator=(const CanberraOutput&) = delete;

    PlayOutcome Play(const SoundRequest& request) override;
    void Stop() override;

  private:
    struct Context;
    std::unique_ptr<Context> context_;
};

// How a canberra result code reads for a request that passed ChooseSound.
PlayOutcome ClassifyCanberraResult(int code);

// The program's sound: names beside `executable_folder`, played by libcanberra.
std::unique_ptr<Sound> MakeCanberraSound(std::string executable_folder);

}  // namespace platform
