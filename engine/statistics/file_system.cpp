#include "engine/statistics/file_system.h"

#include <cerrno>

namespace statistics {

std::size_t WriteAll(OutputFile& file, std::string_view data, int& error) {
    error = 0;
    std::size_t done = 0;
    while (done < data.size()) {
        const std::size_t n = file.Write(data.substr(done), error);
        if (error != 0) break;
        if (n == 0) {  // no progress and no reason: do not spin
            error = EIO;
            break;
        }
        done += n;
    }
    return done;
}

int WriteSyncAndClose(OutputFile& file, std::string_view data) {
    int error = 0;
    WriteAll(file, data, error);
    if (error == 0) error = file.Sync();
    if (const int close_error = file.Close(); error == 0) error = close_error;
    return error;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

}  // namespace statistics
