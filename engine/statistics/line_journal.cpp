#include "engine/statistics/line_journal.h"

#include <cerrno>
#include <random>
#include <utility>

#include "engine/statistics/daily_file_name.h"
#include "engine/statistics/file_error_text.h"
#include "engine/statistics/journal_records.h"
#include "engine/statistics/journal_scan.h"
#include "engine/statistics/recovered_bytes.h"
#include "platform/ui_thread.h"

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
                         platform::TimerFactory& timers, WarningSink warn,
                         std::function<LocalDateTime()> now)
    : files_(files),
      folder_(log_folder),
      path_(JoinPath(log_folder, kJournalFileName)),
      warn_(std::move(warn)),
      now_(std::move(now)),
      sync_timer_(timers.CreateTimer()) {
    sync_timer_->SetInterval(kSyncDelayMs);
    sync_timer_->SetTickHandler([this] { Sync(); });
}

LineJournal::~LineJournal() {
    sync_timer_->SetTickHandler({});
    Sync();
}

void LineJournal::WriteOncePerTurn(UiThread& ui) {
    turn_ = &ui;
}

void LineJournal::WriteHeldLines() {
    if (held_lines_.empty()) return;
    Append(journal::LinesRecord(generation_, held_lines_));
    held_lines_.clear();
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
    journal::Contents contents;
    if (error = ScanFile(contents); error != 0) {
        Disable(error);
        return {};
    }
    // An unfinished write to a link or a device is not undone there: its record is refused.
    std::uint64_t end = contents.whole_length;
    bool spoilt = contents.Spoilt();
    if (contents.open_write && !Placeable(contents.open_write->name)) {
        if (!spoilt) {
            contents.ending = journal::Ending::Unplaced;
            contents.unplaced = JoinPath(folder_, contents.open_write->name);
        }
        end = contents.open_write->record_at;
        spoilt = true;
    }
    if (spoilt) {
        std::string kept;
        if (error = SetAside(contents, end, file, kept); error != 0) {
            Disable(error);
            return {};
        }
        TellSetAside(contents, kept);
        if (!file) return {};
        if (error = ScanFile(contents); error != 0) {
            Disable(error);
            return {};
        }
    }
    if (contents.open_write &&
        (error = CutBack(contents.open_write->name, contents.open_write->size)) != 0) {
        Disable(error);
        return {};
    }
    // New records go after the last whole one, where a reader will find them.
    const bool torn = contents.has_header && contents.ending == journal::Ending::Torn;
    if (torn && (error = file->Truncate(contents.whole_length)) != 0) {
        Disable(error);
        return {};
    }
    std::unique_ptr<InputFile> reader;
    const bool unsaved = contents.has_header && contents.saved < contents.lines_size;
    if (unsaved && (error = files_.OpenForReading(path_, reader)) != 0) {
        Disable(error);
        return {};
    }
    file_ = std::move(file);
    state_ = State::Open;
    data_unsynced_ = torn;
    if (!unsaved) {
        Retire();
        return {};
    }
    generation_ = contents.generation;
    written_ = contents.lines_size;
    buffered_ = static_cast<std::size_t>(contents.lines_size - contents.saved);
    recovered_ = std::make_unique<journal::RecoveredBytes>(std::move(reader), contents.records_at,
                                                           contents.whole_length, contents.saved);
    RecoveredLines recovered;
    recovered.bytes = buffered_;
    if (!recovered_->StartWithLine()) recovered.cut_line_file = contents.last_write_name;
    return recovered;
}

std::size_t LineJournal::ReadRecovered(std::string& out, std::size_t max) {
    if (!recovered_) return 0;
    const std::size_t n = recovered_->Next(out, max);
    if (n > 0) return n;
    const int error = recovered_->Error();
    recovered_.reset();
    if (error != 0) {
        // What was not read stays in the journal, as it is, for a later start.
        recovery_failed_ = true;
        if (file_) file_->Close();
        file_.reset();
        buffered_ = written_ = 0;
        Disable(error);
    }
    return 0;
}

int LineJournal::ScanFile(journal::Contents& contents) {
    std::unique_ptr<InputFile> reader;
    if (const int error = files_.OpenForReading(path_, reader); error != 0) return error;
    contents = journal::Scan(*reader, folder_);
    return contents.error;
}

bool LineJournal::Placeable(const std::string& name) {
    std::unique_ptr<InputFile> file;
    const int error = files_.OpenForReading(JoinPath(folder_, name), file);
    return error != ELOOP && error != EISDIR && error != kNotRegularFile;
}

int LineJournal::SetAside(const journal::Contents& contents, std::uint64_t end,
                          std::unique_ptr<OutputFile>& file, std::string& kept) {
    // The copy: a header of the same generation (the old one may be the damage) and the
    // records after it.
    std::unique_ptr<OutputFile> copy;
    std::string temporary;
    if (contents.has_header) {
        std::unique_ptr<InputFile> reader;
        int error = files_.CreateTemporaryBeside(path_, temporary, copy);
        if (error == 0) error = copy->Lock();
        if (error == 0) WriteAll(*copy, journal::HeaderRecord(contents.generation), error);
        if (error == 0) error = files_.OpenForReading(path_, reader);
        std::string piece(64 * 1024, '\0');
        for (std::uint64_t at = contents.records_at; error == 0 && at < end;) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), end - at));
            const std::size_t got = reader->ReadAt(at, piece.data(), want, error);
            if (error == 0 && got == 0) error = EIO;  // shorter than it was a moment ago
            if (error == 0) WriteAll(*copy, std::string_view(piece).substr(0, got), error);
            at += got;
        }
        if (error == 0) error = copy->DataSync();
        if (error != 0) {
            if (copy) {
                copy.reset();
                files_.Remove(temporary);
            }
            return error;
        }
    }
    // Kept under a second name, then replaced: a crash in between leaves the journal as it
    // was, to be kept aside again. Where a file system has no second names, it is renamed.
    const std::string base = path_ + ".bad-" + MomentName(now_());
    int error = EEXIST;
    for (int n = 1; error == EEXIST && n <= 100; ++n) {
        kept = n == 1 ? base : base + "-" + std::to_string(n);
        error = files_.Link(path_, kept);
    }
    if (error == 0) {
        error = copy ? files_.Rename(temporary, path_) : files_.Remove(path_);
        if (error != 0) files_.Remove(kept);
    } else if (error != EEXIST && !files_.Exists(kept)) {
        error = files_.Rename(path_, kept);
        if (error == 0 && copy && (error = files_.Rename(temporary, path_)) != 0)
            files_.Rename(kept, path_);
    }
    if (error != 0) {
        if (copy) files_.Remove(temporary);
        return error;
    }
    files_.SyncFolder(folder_);
    file = std::move(copy);
    return 0;
}

void LineJournal::TellSetAside(const journal::Contents& contents, const std::string& kept) {
    if (!warn_) return;
    std::string text = "Журнал принятых строк \"" + path_ + "\" ";
    if (contents.ending == journal::Ending::Unplaced)
        text += "называет файл \"" + contents.unplaced +
                "\", который не является дневным файлом статистики из его папки: эта запись и "
                "записи после неё не использованы";
    else if (contents.has_header)
        text += "повреждён: часть его записей не читается";
    else
        text += "повреждён: в нём нет ни одной читаемой записи";
    text += ". Журнал сохранён как \"" + kept + "\"";
    if (contents.has_header) text += "; строки из записей до этого места восстанавливаются";
    warn_({Severity::kWarning, "Внимание!", text + ".", kWarningSeconds});
}

int LineJournal::CutBack(const std::string& name, std::uint64_t size) {
    std::unique_ptr<OutputFile> file;
    int error = files_.OpenForWriting(JoinPath(folder_, name), OpenMode::Append, file);
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
    written_ += fresh.size();
    if (!turn_) {
        Append(journal::LinesRecord(generation_, fresh));
        return;
    }
    held_lines_ += fresh;
    if (write_posted_) return;
    write_posted_ = true;
    turn_->post([this, alive = std::weak_ptr<int>(alive_)] {
        if (alive.expired()) return;
        write_posted_ = false;
        WriteHeldLines();
    });
}

void LineJournal::Dropped(std::size_t bytes) {
    WriteHeldLines();
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
    WriteHeldLines();
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

void LineJournal::WillWrite(const std::string& name, OutputFile& file) {
    WriteHeldLines();
    if (state_ != State::Open) return;
    std::uint64_t size = 0;
    if (const int error = file.Size(size); error != 0) {
        Fail(error);
        return;
    }
    Append(journal::WriteRecord(generation_, written_ - buffered_, size, name));
    // On the disk before the file changes, or a crash could leave bytes nobody knows of.
    Sync();
}

void LineJournal::Wrote(std::size_t bytes) {
    WriteHeldLines();
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
    warn_({Severity::kError, "Внимание!", text + reason + consequence, kWarningSeconds});
}

}  // namespace statistics
