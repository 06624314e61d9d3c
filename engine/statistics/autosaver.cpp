#include "engine/statistics/autosaver.h"

#include <cerrno>
#include <utility>

#include "engine/statistics/daily_file_name.h"
#include "engine/statistics/file_error_text.h"

namespace statistics {

namespace {

constexpr std::string_view kLineStart = "\r\n";

// Of the first `written` bytes of `bytes`, those of the lines that are whole in them: up to
// the last line start at or before `written` (a line ends where the next one's CR LF begins).
std::size_t WholeLines(std::string_view bytes, std::size_t written) {
    if (written >= bytes.size()) return bytes.size();
    const std::size_t at = bytes.rfind(kLineStart, written);
    return at == std::string_view::npos ? 0 : at;
}

AutosaveWarning MakeWarning(const std::string& path, int error) {
    return {"Внимание!", "Не удалось сохранить статистику в файл \"" + path +
                             "\": " + ReasonInWords(error) +
                             ". Программа повторит попытку при следующем автосохранении."};
}

}  // namespace

Autosaver::Autosaver(FileSystem& files, std::string log_folder, std::function<LocalDateTime()> now)
    : files_(files), log_folder_(std::move(log_folder)), now_(std::move(now)) {}

std::string Autosaver::TodayPath() const {
    return JoinPath(log_folder_, DailyFileName(now_()));
}

AutosaveResult Autosaver::Step(std::string& save_buffer) {
    AutosaveResult result;
    const std::string today = TodayPath();
    FinishCutLine(save_buffer, today);
    const bool had_work = !save_buffer.empty();
    const auto failure = SaveTo(today, save_buffer, result.created_new_file);
    if (failure) {
        result.failed_path = failure->path;
        result.error = failure->error;
        if (!failing_) result.warning = MakeWarning(failure->path, failure->error);
        failing_ = true;
    } else if (had_work || result.created_new_file) {
        failing_ = false;
    }
    result.saved = save_buffer.empty();
    return result;
}

void Autosaver::FinishCutLine(std::string& save_buffer, const std::string& today) {
    if (cut_line_file_.empty() || cut_line_file_ == today) return;
    // One try: if the old file refuses, the rest of the line goes to today's file rather
    // than holding back every line after it.
    const std::string path = std::exchange(cut_line_file_, {});
    if (save_buffer.empty()) return;
    std::unique_ptr<OutputFile> file;
    if (files_.OpenForWriting(path, OpenMode::Append, file) != 0) return;
    // Up to the line's end; a write that made progress leaves the rest of it for a later try.
    AppendAndDrop(*file, path, save_buffer, save_buffer.find(kLineStart), false);
}

std::optional<Autosaver::Failure> Autosaver::SaveTo(const std::string& path,
                                                    std::string& save_buffer, bool& created) {
    std::unique_ptr<OutputFile> file;
    if (!files_.Exists(path)) {
        const std::string folder = FolderOf(path);
        if (const int error = files_.MakeDirectories(folder); error != 0)
            return Failure{path, error};
        const int error = files_.OpenForWriting(path, OpenMode::CreateNew, file);
        if (error == 0) {
            created = true;
            files_.SyncFolder(folder);  // best effort: the entry of the new file
        } else if (error != EEXIST) {
            return Failure{path, error};
        }
    }
    if (!file) {
        if (save_buffer.empty()) return std::nullopt;
        if (const int error = files_.OpenForWriting(path, OpenMode::Append, file); error != 0)
            return Failure{path, error};
    }
    if (const int error = AppendAndDrop(*file, path, save_buffer, save_buffer.size(), true);
        error != 0)
        return Failure{path, error};
    return std::nullopt;
}

int Autosaver::AppendAndDrop(OutputFile& file, const std::string& path, std::string& save_buffer,
                             std::size_t count, bool whole_lines) {
    const std::string_view bytes = std::string_view(save_buffer).substr(0, count);
    const bool told = writes_ && !bytes.empty();
    std::uint64_t size_before = 0;
    const bool sized = file.Size(size_before) == 0;
    if (told) writes_->WillWrite(path, file);
    int error = 0;
    const std::size_t written = WriteAll(file, bytes, error);
    std::size_t kept = written;
    // A line the write cut leaves the file again: it is written whole by a later step, or
    // kept elsewhere at the end.
    if (whole_lines && written < bytes.size()) {
        const std::size_t whole = WholeLines(bytes, written);
        if (whole < written && sized && file.Truncate(size_before + whole) == 0) kept = whole;
    }
    if (written > 0) {
        save_buffer.erase(0, kept);
        const bool cut = !save_buffer.empty() && !save_buffer.starts_with(kLineStart);
        cut_line_file_ = cut ? path : std::string();
        // The bytes have left the buffer: a failed flush is reported, never rewritten.
        if (const int sync_error = file.Sync(); error == 0) error = sync_error;
    }
    if (told) writes_->Wrote(kept);
    if (const int close_error = file.Close(); error == 0) error = close_error;
    return error;
}

}  // namespace statistics
