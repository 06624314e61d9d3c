#pragma once
// Asynchronous playback of a sound file (the alarm sound).

#include <string>

namespace platform {

class Sound {
  public:
    virtual ~Sound() = default;

    // Starts playing `file` and returns at once; a playback in progress is replaced. A name
    // that is not an absolute path is looked up beside the executable. A file that does not
    // exist, cannot be read or is no sound plays the desktop theme's warning sound instead.
    // No sound device is not an error: nothing plays, and nothing is reported.
    virtual void Play(const std::string& file) = 0;
    // Stops a playback in progress, if any.
    virtual void Stop() = 0;
};

}  // namespace platform
