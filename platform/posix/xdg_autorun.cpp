#include "platform/posix/xdg_autorun.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/posix/desktop_entry.h"
#include "platform/posix/executable_path.h"

namespace platform {

namespace {

bool IsAbsolute(const std::optional<std::string>& path) {
    return path && !path->empty() && path->front() == '/';
}

// Creates `folder` and its missing parents; new folders are private, as XDG asks of them.
bool MakeFolders(const std::string& folder) {
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = FolderOf(folder);
    if (!parent.empty() && parent != folder && !MakeFolders(parent)) return false;
    return mkdir(folder.c_str(), 0700) == 0 ||
           (errno == EEXIST && stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st;
    std::optional<std::string> text;
    // An entry is a few lines; anything large is not ours.
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= 64 * 1024) {
        text.emplace();
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                text.reset();
                break;
            }
            if (n == 0) break;
            text->append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    return text;
}

std::string CreateKeyError(const std::string& folder) {
    return "Failed to create key " + folder;
}

std::string SetDataError() {
    return std::string("Failed to set data for '") + XdgAutorun::kEntryName + "'";
}

}  // namespace

XdgAutorun::XdgAutorun(std::string executable, const Environment& environment)
    : executable_(std::move(executable)) {
    if (IsAbsolute(environment.xdg_config_home))
        folder_ = *environment.xdg_config_home + "/autostart";
    else if (IsAbsolute(environment.home))
        folder_ = *environment.home + "/.config/autostart";
    // Collapse a doubled slash from values that end with one.
    for (std::size_t i; (i = folder_.find("//")) != std::string::npos;) folder_.erase(i, 1);
}

XdgAutorun XdgAutorun::ForThisProgram() {
    Environment environment;
    if (const char* value = std::getenv("XDG_CONFIG_HOME")) environment.xdg_config_home = value;
    if (const char* value = std::getenv("HOME"); value && *value) {
        environment.home = value;
    } else {
        std::vector<char> buffer(16384);
        passwd entry;
        passwd* found = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_dir)
            environment.home = found->pw_dir;
    }
    return XdgAutorun(ExecutablePath(), environment);
}

std::string XdgAutorun::EntryPath() const {
    return folder_ + "/" + kEntryName + ".desktop";
}

bool XdgAutorun::IsRegistered() const {
    if (folder_.empty() || executable_.empty()) return false;
    const std::optional<std::string> text = ReadSmallFile(EntryPath());
    if (!text) return false;
    const auto keys = ReadDesktopEntryGroup(*text);
    if (const auto hidden = keys.find("Hidden"); hidden != keys.end() && hidden->second == "true")
        return false;
    const auto exec = keys.find("Exec");
    if (exec == keys.end()) return false;
    const auto args = ParseDesktopExec(exec->second);
    return args && args->size() == 1 && args->front() == executable_;
}

void XdgAutorun::Register() {
    if (folder_.empty()) throw AutorunError(CreateKeyError("~/.config/autostart"));
    if (!MakeFolders(folder_)) throw AutorunError(CreateKeyError(folder_));
    if (executable_.empty()) throw AutorunError(SetDataError());

    const std::string content = std::string("[Desktop Entry]\nType=Application\nName=") +
                                kEntryName + "\nExec=" + DesktopExecValue(executable_) + "\n";
    // A dot name, so that nothing reads the half-written file as an entry.
    std::string temp = folder_ + "/." + kEntryName + ".desktop.XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) throw AutorunError(CreateKeyError(folder_));
    const bool written = fchmod(fd, 0644) == 0 && WriteAll(fd, content) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temp.c_str(), EntryPath().c_str()) != 0) {
        unlink(temp.c_str());
        throw AutorunError(SetDataError());
    }
    if (const int dir = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

void XdgAutorun::Unregister() {
    if (folder_.empty()) return;
    if (unlink(EntryPath().c_str()) != 0 && errno != ENOENT) throw AutorunError(SetDataError());
}

}  // namespace platform
