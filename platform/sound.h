#pragma once
// Asynchronous playback of a sound file (the alarm sound).

#include <string>

namespace platform {

class Sound {
  public:
    virtual ~Sound() = default;

    // Starts playing `file` and returns at once; a playback in progress is replaced. A bare
    // file name is looked up beside the executable. A file that does not exist or cannot be
    // read plays the desktop theme's warning sound instead. No sound device is not an error:
    // nothing plays.
    virtual void Play(const std::string& file) = 0;
    // Stops a playback in progress, if any.
    virtual void Stop() = 0;
};

}  // namespace platform
