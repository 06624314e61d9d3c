#include "engine/statistics/journal_recovery.h"

namespace statistics {

namespace {

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
    RecoveredLines recovered = journal.Recover();
    if (recovered.bytes.empty()) return recovery;
    recovery.lines = recovered.lines;
    save_buffer.insert(0, recovered.bytes);
    journal.Follow(save_buffer);  // anything that was there already comes after them
    if (!recovered.cut_line_file.empty()) autosaver.ResumeCutLine(recovered.cut_line_file);
    recovery.autosave = autosaver.Step(save_buffer);
    recovery.notice = Notice(recovery);
    return recovery;
}

}  // namespace statistics
