#include "platform/posix/sound_choice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace platform {

std::string ResolveSoundPath(const std::string& name, const std::string& executable_folder) {
    if (name.empty() || name.front() == '/' || executable_folder.empty()) return name;
    if (executable_folder.back() == '/') return executable_folder + name;
    return executable_folder + "/" + name;
}

bool IsPlayableFile(const std::string& path) {
    if (path.empty()) return false;
    // Non-blocking, so that a named pipe given as a sound does not hang the open.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    return regular;
}

SoundRequest ChooseSound(const std::string& name, const std::string& executable_folder,
                         const std::function<bool(const std::string&)>& playable) {
    std::string path = ResolveSoundPath(name, executable_folder);
    if (!playable(path)) return {SoundRequest::Kind::Warning, {}};
    return {SoundRequest::Kind::File, std::move(path)};
}

void OutputBackoff::Failed(Clock::time_point now) {
    wait_ = wait_ == Clock::duration::zero() ? Clock::duration(kFirstWait)
                                             : std::min<Clock::duration>(wait_ * 2, kLongestWait);
    retry_at_ = now + wait_;
}

void OutputBackoff::Succeeded() {
    retry_at_.reset();
    wait_ = Clock::duration::zero();
}

}  // namespace platform
