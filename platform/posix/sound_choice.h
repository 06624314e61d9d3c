#pragma once
// What a sound request plays, decided before any sound library is involved: the sound
// libraries report a missing file and a missing sound device alike, so "cannot be played" is
// decided from the file itself.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The sound theme's event played in place of a file that cannot be played.
inline constexpr const char* kWarningSoundEvent = "dialog-warning";

// The path of a sound name: an absolute path as it is, any other name beside the executable
// (started from the desktop, the working directory is the home folder). Without a known
// executable folder the name is used as it is.
std::string ResolveSoundPath(const std::string& name, const std::string& executable_folder);

// An existing regular file that opens for reading.
bool IsPlayableFile(const std::string& path);

struct SoundRequest {
    enum class Kind { File, Warning };
    Kind kind = Kind::Warning;
    std::string path;  // File only
    friend bool operator==(const SoundRequest&, const SoundRequest&) = default;
};

SoundRequest ChooseSound(const std::string& name, const std::string& executable_folder,
                         const std::function<bool(const std::string&)>& playable);

enum class PlayOutcome {
    Played,
    BadFile,   // the file was read but is no sound the output knows
    NoDevice,  // nothing could play it: no device or sound service, or no such theme sound
};

// After the output fails, sounds are skipped for a while, longer after each failure, so that
// an alarm repeated every few seconds on a machine without sound neither retries nor lets the
// sound library print its complaint each time.
class OutputBackoff {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kFirstWait{60};
    static constexpr std::chrono::seconds kLongestWait{3600};

    bool MayTry(Clock::time_point now) const { return !retry_at_ || now >= *retry_at_; }
    void Failed(Clock::time_point now);
    void Succeeded();

  private:
    std::optional<Clock::time_point> retry_at_;
    Clock::duration wait_{0};
};

}  // namespace platform
