#include "engine/statistics/tests/crash_file_system.h"

#include <algorithm>
#include <cerrno>

namespace statistics {

namespace {

class CrashFile : public OutputFile {
  public:
    CrashFile(CrashFileSystem& disk, std::string path,
              std::shared_ptr<CrashFileSystem::Inode> inode)
        : disk_(disk), path_(std::move(path)), inode_(std::move(inode)) {}
    ~CrashFile() override { Close(); }

    std::size_t Write(std::string_view data, int& error) override {
        error = 0;
        std::size_t take = data.size();
        if (const auto room = disk_.room.find(path_); room != disk_.room.end()) {
            take = std::min(take, room->second);
            if (take == 0) {
                error = ENOSPC;
                return 0;
            }
            room->second -= take;
        }
        if (!Open() || !disk_.Change("write " + path_ + " " + std::to_string(take) + " bytes")) {
            error = EIO;
            return 0;
        }
        inode_->seen.append(data.substr(0, take));
        return take;
    }
    int Sync() override { return Flush("fsync "); }
    int DataSync() override { return Flush("fdatasync "); }
    int Size(std::uint64_t& size) override {
        if (!Open()) return EBADF;
        size = inode_->seen.size();
        return 0;
    }
    int Truncate(std::uint64_t size) override {
        if (!Open() || !disk_.Change("truncate " + path_ + " to " + std::to_string(size)))
            return EIO;
        inode_->seen.resize(static_cast<std::size_t>(size), '\0');
        return 0;
    }
    int Lock() override {
        if (!Open()) return EBADF;
        if (inode_->lock_holder && inode_->lock_holder != this) return EWOULDBLOCK;
        inode_->lock_holder = this;
        return 0;
    }
    int Close() override {
        if (inode_ && inode_->lock_holder == this) inode_->lock_holder = nullptr;
        inode_.reset();
        return 0;
    }

  private:
    bool Open() const { return inode_ != nullptr; }
    int Flush(const std::string& what) {
        if (!Open() || !disk_.Change(what + path_)) return EIO;
        inode_->flushed = inode_->seen;
        return 0;
    }

    CrashFileSystem& disk_;
    std::string path_;
    std::shared_ptr<CrashFileSystem::Inode> inode_;
};

// Reads the bytes as the program sees them, also those written after the opening.
class CrashInputFile : public InputFile {
  public:
    explicit CrashInputFile(std::shared_ptr<CrashFileSystem::Inode> inode)
        : inode_(std::move(inode)) {}
    int Size(std::uint64_t& size) override {
        size = inode_->seen.size();
        return 0;
    }
    std::size_t ReadAt(std::uint64_t offset, char* data, std::size_t size, int& error) override {
        error = 0;
        if (offset >= inode_->seen.size()) return 0;
        return inode_->seen.copy(data, size, static_cast<std::size_t>(offset));
    }

  private:
    std::shared_ptr<CrashFileSystem::Inode> inode_;
};

std::string TornBytes(const std::string& flushed, const std::string& seen, bool zeros) {
    std::size_t same = 0;
    while (same < flushed.size() && same < seen.size() && flushed[same] == seen[same]) ++same;
    if (zeros) return seen.substr(0, same) + std::string(seen.size() - same, '\0');
    return seen.substr(0, same + (seen.size() - same) / 2);
}

}  // namespace

const char* CrashFileSystem::Name(Loss loss) {
    switch (loss) {
        case Loss::Unflushed:
            return "unflushed lost";
        case Loss::Nothing:
            return "nothing lost";
        case Loss::Torn:
            return "torn";
        case Loss::Zeros:
            return "zeros";
    }
    return "?";
}

CrashFileSystem::CrashFileSystem(const CrashFileSystem& other)
    : FileSystem(),
      room(other.room),
      folders_(other.folders_),
      changes_(other.changes_),
      stop_at_(other.stop_at_),
      stopped_(other.stopped_),
      stopped_at_(other.stopped_at_) {
    std::map<const Inode*, std::shared_ptr<Inode>> copies;
    auto copy = [&](const std::shared_ptr<Inode>& inode) {
        auto& made = copies[inode.get()];
        if (!made) made = std::make_shared<Inode>(Inode{inode->seen, inode->flushed, nullptr});
        return made;
    };
    for (const auto& [path, inode] : other.names_) names_[path] = copy(inode);
    for (const auto& [path, inode] : other.synced_names_) synced_names_[path] = copy(inode);
}

bool CrashFileSystem::Change(const std::string& what) {
    if (!stopped_ && changes_.size() == stop_at_) {
        stopped_ = true;
        stopped_at_ = now_ ? now_() : 0;
    }
    if (stopped_) return false;
    changes_.push_back(what);
    return true;
}

void CrashFileSystem::Crash(const std::function<Loss(const std::string& path)>& loss) {
    std::set<std::string> paths;
    for (const auto& [path, inode] : names_) paths.insert(path);
    for (const auto& [path, inode] : synced_names_) paths.insert(path);
    std::map<std::string, std::shared_ptr<Inode>> after;
    for (const std::string& path : paths) {
        const Loss how = loss(path);
        const auto& names = how == Loss::Unflushed ? synced_names_ : names_;
        const auto found = names.find(path);
        if (found == names.end()) continue;
        const Inode& inode = *found->second;
        std::string bytes = how == Loss::Unflushed ? inode.flushed
                            : how == Loss::Nothing
                                ? inode.seen
                                : TornBytes(inode.flushed, inode.seen, how == Loss::Zeros);
        after[path] = std::make_shared<Inode>(Inode{bytes, bytes, nullptr});
    }
    names_ = after;
    synced_names_ = after;
    changes_.clear();
    stop_at_ = static_cast<std::size_t>(-1);
    stopped_ = false;
}

void CrashFileSystem::Put(const std::string& path, const std::string& bytes) {
    folders_.insert(FolderOf(path));
    names_[path] = std::make_shared<Inode>(Inode{bytes, bytes, nullptr});
    synced_names_[path] = names_[path];
}

std::string CrashFileSystem::Content(const std::string& path) const {
    const auto found = names_.find(path);
    return found == names_.end() ? std::string() : found->second->seen;
}

std::vector<std::string> CrashFileSystem::Files(const std::string& folder) const {
    std::vector<std::string> files;
    for (const auto& [path, inode] : names_)
        if (FolderOf(path) == folder) files.push_back(path);
    return files;
}

bool CrashFileSystem::Exists(const std::string& path) {
    return names_.count(path) != 0 || folders_.count(path) != 0;
}

// Folders are taken as durable from their making on: the program makes its log folder once.
int CrashFileSystem::MakeDirectories(const std::string& path) {
    if (folders_.count(path)) return 0;
    if (names_.count(path)) return ENOTDIR;
    if (!Change("mkdir " + path)) return EIO;
    for (std::string folder = path; folder != "/" && folder != "."; folder = FolderOf(folder))
        folders_.insert(folder);
    return 0;
}

int CrashFileSystem::OpenForWriting(const std::string& path, OpenMode mode,
                                    std::unique_ptr<OutputFile>& file) {
    if (folders_.count(path)) return EISDIR;
    auto found = names_.find(path);
    if (found != names_.end() && mode == OpenMode::CreateNew) return EEXIST;
    if (found == names_.end()) {
        if (mode == OpenMode::Append) return ENOENT;
        if (!folders_.count(FolderOf(path))) return ENOENT;
        if (!Change("create " + path)) return EIO;
        found = names_.emplace(path, std::make_shared<Inode>()).first;
    }
    file = std::make_unique<CrashFile>(*this, path, found->second);
    return 0;
}

int CrashFileSystem::ReplacementTarget(const std::string& path, std::string& target) {
    target = path;
    return folders_.count(path) ? EISDIR : 0;
}

int CrashFileSystem::CreateTemporaryBeside(const std::string& target, std::string& temporary_path,
                                           std::unique_ptr<OutputFile>& file) {
    // A name of its own, whatever an earlier run left.
    temporary_path = target + ".tmp";
    for (int n = 2; names_.count(temporary_path); ++n)
        temporary_path = target + ".tmp" + std::to_string(n);
    return OpenForWriting(temporary_path, OpenMode::CreateNew, file);
}

int CrashFileSystem::Rename(const std::string& from, const std::string& to) {
    const auto found = names_.find(from);
    if (found == names_.end()) return ENOENT;
    if (!Change("rename " + from + " to " + to)) return EIO;
    names_[to] = found->second;
    names_.erase(from);
    return 0;
}

int CrashFileSystem::Link(const std::string& from, const std::string& to) {
    const auto found = names_.find(from);
    if (found == names_.end()) return ENOENT;
    if (names_.count(to)) return EEXIST;
    if (!Change("link " + from + " to " + to)) return EIO;
    names_[to] = found->second;
    return 0;
}

int CrashFileSystem::Remove(const std::string& path) {
    if (!names_.count(path)) return ENOENT;
    if (!Change("remove " + path)) return EIO;
    names_.erase(path);
    return 0;
}

int CrashFileSystem::SyncFolder(const std::string& path) {
    if (!folders_.count(path)) return ENOENT;
    if (!Change("sync folder " + path)) return EIO;
    for (auto it = synced_names_.begin(); it != synced_names_.end();)
        it = FolderOf(it->first) == path ? synced_names_.erase(it) : std::next(it);
    for (const auto& [name, inode] : names_)
        if (FolderOf(name) == path) synced_names_[name] = inode;
    return 0;
}

int CrashFileSystem::OpenForReading(const std::string& path, std::unique_ptr<InputFile>& file) {
    if (folders_.count(path)) return EISDIR;
    const auto found = names_.find(path);
    if (found == names_.end()) return ENOENT;
    file = std::make_unique<CrashInputFile>(found->second);
    return 0;
}

int CrashFileSystem::ReadAll(const std::string& path, std::size_t max_bytes, std::string& content) {
    content.clear();
    if (folders_.count(path)) return EISDIR;
    const auto found = names_.find(path);
    if (found == names_.end()) return ENOENT;
    if (found->second->seen.size() > max_bytes) return EFBIG;
    content = found->second->seen;
    return 0;
}

}  // namespace statistics
