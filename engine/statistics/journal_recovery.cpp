#include "engine/statistics/journal_recovery.h"

namespace statistics {

JournalRecovery RecoverJournal(LineJournal& journal, Autosaver& autosaver,
                               std::string& save_buffer) {
    JournalRecovery recovery;
    RecoveredLines recovered = journal.Recover();
    if (recovered.bytes.empty()) return recovery;
    recovery.lines = recovered.lines;
    save_buffer.insert(0, recovered.bytes);
    journal.Follow(save_buffer);  // anything that was there already comes after them
    if (!recovered.cut_line_file.empty()) autosaver.ResumeCutLine(recovered.cut_line_file);
    const std::string today = autosaver.TodayPath();
    recovery.autosave = autosaver.Step(save_buffer);
    recovery.notice =
        "Восстановлены строки статистики, принятые до аварийного завершения программы и не "
        "сохранённые тогда: " +
        std::to_string(recovery.lines) + ". ";
    recovery.notice += recovery.autosave.saved
                           ? "Они дописаны в файл \"" + today + "\"."
                           : "Записать их в файл \"" + today +
                                 "\" пока не удалось; они сохранятся при следующем "
                                 "автосохранении.";
    return recovery;
}

}  // namespace statistics
