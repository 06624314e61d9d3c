#include "engine/statistics/unsaved_lines.h"

#include <cerrno>

#include "engine/statistics/daily_file_name.h"
#include "engine/statistics/file_error_text.h"

namespace statistics {

namespace {

// "2026-12-06_23-59-58.txt" and, for the n-th name tried, "...-n.txt".
std::string NameFor(const LocalDateTime& now, int n) {
    std::string name = MomentName(now);
    if (n > 1) name += "-" + std::to_string(n);
    return name + ".txt";
}

int WriteNewFile(FileSystem& files, const std::string& path, std::string_view bytes) {
    std::unique_ptr<OutputFile> file;
    if (const int error = files.OpenForWriting(path, OpenMode::CreateNew, file); error != 0)
        return error;
    const int error = WriteSyncAndClose(*file, bytes);
    // The lines then go to standard error, all of them: none may be in two places, or cut.
    if (error != 0) files.Remove(path);
    return error;
}

}  // namespace

KeptLines KeepUnsavedLines(FileSystem& files, const std::string& folder, const LocalDateTime& now,
                           std::string_view save_buffer) {
    KeptLines kept;
    if (folder.empty()) {
        kept.error = ENOENT;
        return kept;
    }
    kept.path = JoinPath(folder, NameFor(now, 1));
    if ((kept.error = files.MakeDirectories(folder)) != 0) return kept;
    for (int n = 1; n <= 100; ++n) {
        kept.path = JoinPath(folder, NameFor(now, n));
        kept.error = WriteNewFile(files, kept.path, save_buffer);
        if (kept.error != EEXIST) break;
    }
    if (kept.error == 0) files.SyncFolder(folder);  // best effort: the new file's entry
    return kept;
}

std::string UnsavedLinesNotice(const AutosaveResult& failure, const KeptLines& kept) {
    std::string text = "Не удалось сохранить статистику в файл \"" + failure.failed_path +
                       "\": " + ReasonInWords(failure.error) + ". ";
    if (kept.error == 0)
        return text + "Несохранённые строки записаны в файл \"" + kept.path + "\".";
    if (kept.path.empty())
        text += "Папка для несохранённых строк не найдена (нет домашней папки)";
    else
        text += "Не удалось записать несохранённые строки и в файл \"" + kept.path +
                "\": " + ReasonInWords(kept.error);
    return text + "; они выведены в стандартный поток ошибок.";
}

}  // namespace statistics
