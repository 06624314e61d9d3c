#include "engine/statistics/line_journal.h"

#include <cerrno>
#include <random>
#include <utility>

#include "engine/statistics/file_error_text.h"
#include "engine/statistics/journal_records.h"

namespace statistics {

namespace {

constexpr std::string_view kLineStart = "\r\n";

std::uint64_t NewGeneration() {
    std::random_device seed;
    return static_cast<std::uint64_t>(seed()) << 32 | seed();
}

}  // namespace

std::size_t CountBufferedLines(std::string_view bytes) {
    std::size_t lines = bytes.empty() || bytes.starts_with(kLineStart) ? 0 : 1;
    for (std::size_t at = bytes.find(kLineStart); at != std::string_view::npos;
         at = bytes.find(kLineStart, at + kLineStart.size()))
        ++lines;
    return lines;
}

LineJournal::LineJournal(FileSystem& files, const std::string& log_folder,
                         platform::TimerFactory& timers, Warn warn)
    : files_(files),
      folder_(log_folder),
      path_(JoinPath(log_folder, kJournalFileName)),
      warn_(std::move(warn)),
      sync_timer_(timers.CreateTimer()) {
    sync_timer_->SetInterval(kSyncDelayMs);
    sync_timer_->SetTickHandler([this] { Sync(); });
}

LineJournal::~LineJournal() {
    sync_timer_->SetTickHandler({});
    Sync();
}

RecoveredLines LineJournal::Recover() {
    if (!files_.Exists(path_)) return {};
    std::unique_ptr<OutputFile> file;
    int error = files_.OpenForWriting(path_, OpenMode::Append, file);
    if (error == 0) error = file->Lock();
    if (error != 0) {
        Fail(error);  // not ours to change: `file` closes without touching it
        return {};
    }
    std::string bytes;
    if (error = files_.ReadAll(path_, kMaxBytes, bytes); error != 0) {
        Disable(error);
        return {};
    }
    const journal::Contents contents = journal::Read(bytes);
    if (contents.open_write &&
        (error = CutBack(contents.open_write->path, contents.open_write->size)) != 0) {
        Disable(error);
        return {};
    }
    // New records go after the last whole one, where a reader will find them.
    const bool torn = contents.has_header && contents.whole_length < bytes.size();
    if (torn && (error = file->Truncate(contents.whole_length)) != 0) {
        Disable(error);
        return {};
    }
    file_ = std::move(file);
    state_ = State::Open;
    data_unsynced_ = torn;
    if (!contents.has_header || contents.saved == contents.lines.size()) {
        Retire();
        return {};
    }
    generation_ = contents.generation;
    written_ = contents.lines.size();
    RecoveredLines recovered;
    recovered.bytes = contents.lines.substr(static_cast<std::size_t>(contents.saved));
    buffered_ = recovered.bytes.size();
    if (!recovered.bytes.starts_with(kLineStart))
        recovered.cut_line_file = contents.last_write_path;
    recovered.lines = CountBufferedLines(recovered.bytes);
    return recovered;
}

int LineJournal::CutBack(const std::string& path, std::uint64_t size) {
    std::unique_ptr<OutputFile> file;
    int error = files_.OpenForWriting(path, OpenMode::Append, file);
    if (error == ENOENT) return 0;  // gone, and what the write added with it
    if (error != 0) return error;
    std::uint64_t now = 0;
    if (error = file->Size(now); error != 0) return error;
    // A file shorter than before the write was replaced meanwhile: nothing of it to undo.
    if (now > size) {
        if (error = file->Truncate(size); error != 0) return error;
        if (error = file->Sync(); error != 0) return error;
    }
    return file->Close();
}

void LineJournal::Follow(const std::string& save_buffer) {
    // Bytes that left the buffer unannounced cannot be told from saved ones.
    if (save_buffer.size() < buffered_) Dropped(buffered_ - save_buffer.size());
    if (save_buffer.size() == buffered_) return;
    const std::string_view fresh = std::string_view(save_buffer).substr(buffered_);
    const bool was_empty = buffered_ == 0;
    buffered_ = save_buffer.size();
    // A journal starts with an empty buffer only: it must hold all of it.
    if (state_ == State::Idle && was_empty) Start();
    if (state_ != State::Open) return;
    Append(journal::LinesRecord(generation_, fresh));
    written_ += fresh.size();
}

void LineJournal::Dropped(std::size_t bytes) {
    bytes = std::min(bytes, buffered_);
    buffered_ -= bytes;
    if (state_ == State::Open) {
        Append(journal::DoneRecord(generation_, written_ - buffered_));
        // Lines kept elsewhere must not come back into a daily file after a power cut.
        Sync();
    }
    if (buffered_ == 0) Retire();
}

void LineJournal::Sync() {
    sync_timer_->Stop();
    if (state_ != State::Open || (!data_unsynced_ && !folder_unsynced_)) return;
    int error = data_unsynced_ ? file_->DataSync() : 0;
    if (error == 0 && folder_unsynced_) error = files_.SyncFolder(folder_);
    if (error != 0) {
        Fail(error);
        return;
    }
    data_unsynced_ = folder_unsynced_ = false;
    failing_ = false;
}

void LineJournal::WillWrite(const std::string& path, OutputFile& file) {
    if (state_ != State::Open) return;
    std::uint64_t size = 0;
    if (const int error = file.Size(size); error != 0) {
        Fail(error);
        return;
    }
    Append(journal::WriteRecord(generation_, written_ - buffered_, size, path));
    // On the disk before the file changes, or a crash could leave bytes nobody knows of.
    Sync();
}

void LineJournal::Wrote(std::size_t bytes) {
    bytes = std::min(bytes, buffered_);
    buffered_ -= bytes;
    // Needs no sync of its own: without it the write is undone and done again.
    if (state_ == State::Open) Append(journal::DoneRecord(generation_, written_ - buffered_));
    if (buffered_ == 0) Retire();
}

void LineJournal::Start() {
    std::unique_ptr<OutputFile> file;
    int error = files_.MakeDirectories(folder_);
    if (error == 0) error = files_.OpenForWriting(path_, OpenMode::CreateOrAppend, file);
    if (error == 0) error = file->Lock();
    if (error != 0) {
        Fail(error);  // `file`, if any, closes untouched: another copy's
        return;
    }
    file_ = std::move(file);
    state_ = State::Open;
    // Whatever an earlier journal left here is all in the daily files by now.
    if (error = file_->Truncate(0); error != 0) {
        Fail(error);
        return;
    }
    generation_ = NewGeneration();
    written_ = 0;
    folder_unsynced_ = true;  // the entry of a new file
    Append(journal::HeaderRecord(generation_));
}

void LineJournal::Append(const std::string& record) {
    if (state_ != State::Open) return;
    int error = 0;
    WriteAll(*file_, record, error);
    if (error != 0) {
        Fail(error);
        return;
    }
    data_unsynced_ = true;
    if (!sync_timer_->IsActive()) sync_timer_->Start();
}

void LineJournal::Retire() {
    // One that cannot be removed says durably that all in it is saved.
    RemoveFile([this] {
        if (data_unsynced_) file_->DataSync();
    });
    if (state_ != State::Disabled) state_ = State::Idle;
    buffered_ = 0;
    written_ = 0;
}

void LineJournal::RemoveFile(const std::function<void()>& when_kept) {
    sync_timer_->Stop();
    if (file_) {
        // Removed while still locked, so that no other copy takes it over meanwhile, and
        // durably: lines may go to the daily files without a journal next (when a new one
        // cannot be made), and this one must not come back to undo them.
        if (files_.Remove(path_) == 0)
            files_.SyncFolder(folder_);
        else
            when_kept();
        file_->Close();
        file_.reset();
    }
    data_unsynced_ = folder_unsynced_ = false;
}

void LineJournal::Fail(int error) {
    // Lines now go on to the daily files without the journal: a later start must find
    // nothing in it to write again. Removing works on a full disk; emptying when not.
    RemoveFile([this] {
        if (file_->Truncate(0) == 0) file_->DataSync();
    });
    state_ = State::Failed;
    if (failing_) return;
    failing_ = true;
    Report("Не удалось вести журнал принятых строк \"" + path_ + "\": ", error);
}

void LineJournal::Disable(int error) {
    // `file` of the caller closes untouched: the journal waits for a later start.
    state_ = State::Disabled;
    failing_ = true;
    Report("Не удалось восстановить строки из журнала \"" + path_ + "\": ", error);
}

void LineJournal::Report(const std::string& text, int error) {
    if (!warn_) return;
    const std::string reason = error == EWOULDBLOCK
                                   ? std::string("его ведёт другая запущенная копия программы")
                                   : ReasonInWords(error);
    const std::string consequence =
        state_ == State::Disabled
            ? ". Журнал оставлен для следующего запуска; до тех пор принятые строки хранятся "
              "только в памяти до автосохранения."
            : ". Строки по-прежнему сохраняются в дневной файл при автосохранении, но при сбое "
              "питания строки, принятые после последнего автосохранения, будут потеряны.";
    warn_("Внимание!", text + reason + consequence);
}

}  // namespace statistics
