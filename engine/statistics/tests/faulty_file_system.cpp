#include "engine/statistics/tests/faulty_file_system.h"

#include <algorithm>

namespace statistics {

namespace {

class FaultyFile : public OutputFile {
  public:
    FaultyFile(FaultyFileSystem& owner, std::unique_ptr<OutputFile> real)
        : owner_(owner), real_(std::move(real)) {}

    std::size_t Write(std::string_view data, int& error) override {
        const std::size_t allowed = owner_.Allow(data.size(), error);
        if (error != 0) return 0;
        return real_->Write(data.substr(0, allowed), error);
    }
    int Sync() override { return owner_.refuse_sync != 0 ? owner_.refuse_sync : real_->Sync(); }
    int DataSync() override {
        return owner_.refuse_sync != 0 ? owner_.refuse_sync : real_->DataSync();
    }
    int Size(std::uint64_t& size) override { return real_->Size(size); }
    int Truncate(std::uint64_t size) override {
        return owner_.refuse_truncate != 0 ? owner_.refuse_truncate : real_->Truncate(size);
    }
    int Lock() override { return real_->Lock(); }
    int Close() override { return real_->Close(); }

  private:
    FaultyFileSystem& owner_;
    std::unique_ptr<OutputFile> real_;
};

}  // namespace

std::size_t FaultyFileSystem::Allow(std::size_t wanted, int& error) {
    error = 0;
    if (bytes_until_full == 0) {
        error = full_error;
        return 0;
    }
    std::size_t allowed = std::min(wanted, bytes_until_full);
    if (short_write != 0) {
        allowed = std::min(allowed, short_write);
        short_write = 0;
    }
    if (bytes_until_full != static_cast<std::size_t>(-1)) bytes_until_full -= allowed;
    return allowed;
}

int FaultyFileSystem::MakeDirectories(const std::string& path) {
    return refuse_mkdir != 0 && Affects(path) ? refuse_mkdir : real_.MakeDirectories(path);
}

int FaultyFileSystem::Wrap(int error, const std::string& path, std::unique_ptr<OutputFile>& file) {
    if (error == 0 && Affects(path)) file = std::make_unique<FaultyFile>(*this, std::move(file));
    return error;
}

int FaultyFileSystem::OpenForWriting(const std::string& path, OpenMode mode,
                                     std::unique_ptr<OutputFile>& file) {
    ++opens;
    if (refuse_open != 0 && Affects(path)) return refuse_open;
    return Wrap(real_.OpenForWriting(path, mode, file), path, file);
}

int FaultyFileSystem::CreateTemporaryBeside(const std::string& target, std::string& temporary_path,
                                            std::unique_ptr<OutputFile>& file) {
    ++opens;
    if (refuse_open != 0 && Affects(target)) return refuse_open;
    return Wrap(real_.CreateTemporaryBeside(target, temporary_path, file), target, file);
}

int FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
    return refuse_rename != 0 && Affects(to) ? refuse_rename : real_.Rename(from, to);
}

}  // namespace statistics
