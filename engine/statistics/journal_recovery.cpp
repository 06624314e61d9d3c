#include "engine/statistics/journal_recovery.h"

#include <algorithm>

namespace statistics {

namespace {

// A piece of the recovered lines that goes through the autosave at once.
constexpr std::size_t kPieceBytes = 1 << 20;

void Merge(AutosaveResult& all, AutosaveResult step) {
    all.created_new_file |= step.created_new_file;
    if (!all.warning) all.warning = std::move(step.warning);
    if (!all.clock_warning) all.clock_warning = std::move(step.clock_warning);
    all.failed_path = std::move(step.failed_path);
    all.error = step.error;
    for (std::string& path : step.written_paths)
        if (std::find(all.written_paths.begin(), all.written_paths.end(), path) ==
            all.written_paths.end())
            all.written_paths.push_back(std::move(path));
}

std::string Quoted(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) text += (text.empty() ? "\"" : ", \"") + path + "\"";
    return text;
}

std::string Notice(const JournalRecovery& recovery) {
    const AutosaveResult& a = recovery.autosave;
    std::string text =
        "Восстановлены строки статистики, принятые до аварийного завершения программы и не "
        "сохранённые тогда: " +
        std::to_string(recovery.lines) + ". ";
    const std::string files = a.written_paths.size() == 1 ? "файл " : "файлы ";
    if (a.saved) return text + "Они дописаны в " + files + Quoted(a.written_paths) + ".";
    if (!a.written_paths.empty())
        text += "Часть из них дописана в " + files + Quoted(a.written_paths) + "; остальные з";
    else
        text += "З";
    return text + "аписать их в файл \"" + a.failed_path +
           "\" пока не удалось; они сохранятся при следующем автосохранении.";
}

}  // namespace

JournalRecovery RecoverJournal(LineJournal& journal, Autosaver& autosaver,
                               std::string& save_buffer) {
    JournalRecovery recovery;
    const RecoveredLines recovered = journal.Recover();
    if (recovered.bytes == 0) return recovery;
    if (!recovered.cut_line_file.empty()) autosaver.ResumeCutLine(recovered.cut_line_file);
    std::string piece;
    bool saving = true;
    for (std::size_t n; (n = journal.ReadRecovered(piece, kPieceBytes)) > 0;) {
        recovery.lines += CountBufferedLines(std::string_view(piece).substr(piece.size() - n));
        if (!saving) continue;  // the rest joins what could not be written, in memory
        Merge(recovery.autosave, autosaver.Step(piece));
        saving = piece.empty();
    }
    if (journal.RecoveryFailed()) piece.clear();  // left in the journal
    recovery.autosave.saved = piece.empty();
    save_buffer.insert(0, piece);
    journal.Follow(save_buffer);  // anything that was there already comes after them
    if (recovery.lines > 0) recovery.notice = Notice(recovery);
    return recovery;
}

}  // namespace statistics
