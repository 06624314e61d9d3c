#include "engine/statistics/autosaver.h"

#include <cerrno>
#include <utility>

#include "engine/statistics/daily_file_name.h"
#include "engine/statistics/day_runs.h"
#include "engine/statistics/file_error_text.h"

namespace statistics {

namespace {

constexpr std::string_view kLineStart = "\r\n";

AutosaveWarning MakeWarning(const std::string& path, int error) {
    return {"Внимание!", "Не удалось сохранить статистику в файл \"" + path +
                             "\": " + ReasonInWords(error) +
                             ". Программа повторит попытку при следующем автосохранении."};
}

}  // namespace

Autosaver::Autosaver(FileSystem& files, std::string log_folder, std::function<LocalDateTime()> now)
    : files_(files),
      log_folder_(std::move(log_folder)),
      now_(std::move(now)),
      order_(files, log_folder_) {}

std::string Autosaver::TodayPath() const {
    return JoinPath(log_folder_, DailyFileName(now_()));
}

AutosaveResult Autosaver::Step(std::string& save_buffer) {
    AutosaveResult result;
    const LocalDateTime today = now_();
    const bool had_work = !save_buffer.empty();
    std::optional<Failure> failure = FinishCutLine(save_buffer);
    // The day's first step makes its file whatever the buffer holds: the display starts
    // anew with it.
    if (!failure) failure = Create(DailyFileName(today), result.created_new_file);
    while (!failure && !save_buffer.empty()) {
        const DayRun run = FirstDayRun(save_buffer, today);
        const std::size_t before = save_buffer.size();
        failure = WriteRun(run.name, save_buffer, run.length, result);
        if (!failure && save_buffer.size() == before) break;  // no progress: never spin
    }
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

std::optional<Autosaver::Failure> Autosaver::FinishCutLine(std::string& save_buffer) {
    if (cut_line_file_.empty()) return std::nullopt;
    if (save_buffer.empty() || save_buffer.starts_with(kLineStart)) {
        cut_line_file_.clear();
        return std::nullopt;
    }
    const std::string path = JoinPath(log_folder_, cut_line_file_);
    std::unique_ptr<OutputFile> file;
    // One try at opening: if the old file refuses, the rest of the line goes with the lines
    // after it rather than holding them all back.
    if (files_.OpenForWriting(path, OpenMode::Append, file) != 0) {
        cut_line_file_.clear();
        return std::nullopt;
    }
    // Up to the line's end; a write that made progress leaves the rest of it for a later try.
    const std::string name = cut_line_file_;
    const int error =
        AppendAndDrop(*file, name, save_buffer, save_buffer.find(kLineStart), false, nullptr);
    if (error != 0 || !cut_line_file_.empty()) return Failure{path, error != 0 ? error : EIO};
    return std::nullopt;
}

std::optional<Autosaver::Failure> Autosaver::Create(const std::string& name, bool& created) {
    const std::string path = JoinPath(log_folder_, name);
    if (files_.Exists(path)) return std::nullopt;
    if (const int error = files_.MakeDirectories(log_folder_); error != 0)
        return Failure{path, error};
    std::unique_ptr<OutputFile> file;
    const int error = files_.OpenForWriting(path, OpenMode::CreateNew, file);
    if (error == EEXIST) return std::nullopt;
    if (error != 0) return Failure{path, error};
    file->Close();
    created = true;
    files_.SyncFolder(log_folder_);  // best effort: the entry of the new file
    return std::nullopt;
}

std::optional<Autosaver::Failure> Autosaver::WriteRun(const std::string& name,
                                                      std::string& save_buffer, std::size_t count,
                                                      AutosaveResult& result) {
    const std::string path = JoinPath(log_folder_, name);
    bool created = false;
    if (auto failure = Create(name, created)) return failure;
    std::unique_ptr<OutputFile> file;
    if (const int error = files_.OpenForWriting(path, OpenMode::Append, file); error != 0)
        return Failure{path, error};
    const std::size_t before = save_buffer.size();
    auto jump = std::optional<AutosaveWarning>();
    const int error = AppendAndDrop(*file, name, save_buffer, count, true, &jump);
    if (jump && !result.clock_warning) result.clock_warning = std::move(jump);
    if (save_buffer.size() < before &&
        (result.written_paths.empty() || result.written_paths.back() != path))
        result.written_paths.push_back(path);
    if (error != 0) return Failure{path, error};
    return std::nullopt;
}

int Autosaver::AppendAndDrop(OutputFile& file, const std::string& name, std::string& save_buffer,
                             std::size_t count, bool whole_lines,
                             std::optional<AutosaveWarning>* jump) {
    const std::string_view bytes = std::string_view(save_buffer).substr(0, count);
    const bool told = writes_ && !bytes.empty();
    std::uint64_t size_before = 0;
    const bool sized = file.Size(size_before) == 0;
    order_.WillWrite(name);
    if (told) writes_->WillWrite(name, file);
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
        const bool cut = kept < save_buffer.size() && save_buffer.compare(kept, 2, kLineStart) != 0;
        auto warning = order_.Wrote(name, bytes.substr(0, kept), !cut);
        if (jump) *jump = std::move(warning);
        save_buffer.erase(0, kept);
        cut_line_file_ = cut ? name : std::string();
        // The bytes have left the buffer: a failed flush is reported, never rewritten.
        if (const int sync_error = file.Sync(); error == 0) error = sync_error;
    }
    if (told) writes_->Wrote(kept);
    if (const int close_error = file.Close(); error == 0) error = close_error;
    return error;
}

}  // namespace statistics
