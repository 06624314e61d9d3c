#pragma once
// The journal of received lines, beside the daily files: every byte that enters the
// autosave's buffer is written to it at once and made durable within a second, so that a
// crash or a power cut costs at most the last second's lines, not all since the last
// autosave.
//
// Each write of the autosave is recorded, durably, before it begins (the daily file, by its
// name in the journal's own folder, and its size) and after the file is flushed. After a
// crash the journal so tells exactly which bytes the daily files took: a write that was cut
// short is undone by cutting its file back to the size recorded, and the lines after the last
// finished write are written again. No line reaches a daily file twice, whatever the lines
// hold.
//
// Recovering never opens a file outside the journal's folder, nor one through a link. A
// journal that holds more than a crash leaves (damaged records, a header further on, a record
// naming any other file) is kept as it is under a name of its own (received.journal.bad-
// <date>_<time>), with one warning, and the lines of the records before the damage are
// recovered from a copy of them. The journal is read piece by piece, in bounded memory.
//
// The file exists while some line is in no daily file yet; it goes when an autosave has
// saved everything, so a clean end leaves none. A journal that cannot be kept (a full disk,
// a folder without rights, another copy of the program using it) never holds up reception
// or the autosave: one warning, the file is removed (nothing in it may be written twice
// once lines went on to the daily files without it), and the lines are kept in memory only,
// as without a journal, until an autosave has saved them all; then it starts again.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/local_time.h"
#include "common/warning.h"
#include "engine/statistics/autosaver.h"
#include "engine/statistics/file_system.h"
#include "platform/timer.h"

class UiThread;

namespace statistics::journal {
struct Contents;
class RecoveredBytes;
}  // namespace statistics::journal

namespace statistics {

inline constexpr const char* kJournalFileName = "received.journal";

// What a journal left by a run that ended without saving holds beyond the daily files.
struct RecoveredLines {
    std::uint64_t bytes = 0;    // as the autosave's buffer held them, read by ReadRecovered
    std::string cut_line_file;  // the daily file the first line began in, when a write cut it
};

class LineJournal : public AutosaveWrites {
  public:
    // How long its warnings stay up.
    static constexpr unsigned kWarningSeconds = 30;

    // The longest a line waits to be made durable.
    static constexpr std::uint32_t kSyncDelayMs = 1000;
    // `now` names a journal kept aside.
    LineJournal(FileSystem& files, const std::string& log_folder, platform::TimerFactory& timers,
                WarningSink warn, std::function<LocalDateTime()> now = CurrentLocalDateTime);
    // Makes what was written durable; the file stays when some line is in no daily file.
    ~LineJournal() override;
    LineJournal(const LineJournal&) = delete;
    LineJournal& operator=(const LineJournal&) = delete;

    // At start, before any line: takes over the journal a run that ended without saving
    // left, cuts back a daily file whose write it left unfinished, and tells of the lines
    // that no daily file holds. They belong at the start of the (empty) buffer, which they
    // enter through the autosave piece by piece (ReadRecovered); the journal goes on with
    // them.
    RecoveredLines Recover();
    // Appends the next piece of the recovered lines to `out`: whole lines of about `max`
    // bytes. Returns the bytes appended, 0 when none are left.
    std::size_t ReadRecovered(std::string& out, std::size_t max);
    // Reading the recovered lines failed: those not read are left in the journal for a later
    // start (so none of them may be buffered now).
    bool RecoveryFailed() const { return recovery_failed_; }

    // Lines that come during one turn of the UI thread (the packets of one receive event) go
    // to the file in one write, at the end of the turn, instead of one write each. Every other
    // step of the journal writes them first.
    void WriteOncePerTurn(UiThread& ui);

    // The buffer has grown at its end: its new bytes are written to the journal now (or at the
    // end of the turn).
    void Follow(const std::string& save_buffer);
    // The buffer's first `bytes` left it otherwise than through a daily file (kept in a file
    // of their own at the end): nothing may bring them back.
    void Dropped(std::size_t bytes);
    // Makes all that was written durable now (the timer does it a second after a write).
    void Sync();

    void WillWrite(const std::string& name, OutputFile& file) override;
    void Wrote(std::size_t bytes) override;

    const std::string& Path() const { return path_; }
    // The file is open and being written.
    bool Keeping() const { return state_ == State::Open; }

  private:
    enum class State {
        Idle,      // no file: nothing to keep
        Open,      // the file holds every buffered byte
        Failed,    // could not be kept: none until the buffer is empty again
        Disabled,  // a journal that could not be recovered stays as it is for a later run
    };

    void Start();
    void Append(const std::string& record);
    // Writes the lines held for the end of the turn.
    void WriteHeldLines();
    // Nothing is buffered any more: the file goes.
    void Retire();
    // Stops syncing and removes the file, durably; `when_kept` runs when it cannot be removed.
    void RemoveFile(const std::function<void()>& when_kept);
    void Fail(int error);
    void Disable(int error);
    // Reads the journal's file.
    int ScanFile(journal::Contents& contents);
    // Whether the daily file `name` is a plain file or none (never a link or a device).
    bool Placeable(const std::string& name);
    // Keeps the journal as it is under a name of its own (`kept`), and puts in its place a
    // journal of its records up to `end` (none when it has no header); `file` becomes it.
    int SetAside(const journal::Contents& contents, std::uint64_t end,
                 std::unique_ptr<OutputFile>& file, std::string& kept);
    void TellSetAside(const journal::Contents& contents, const std::string& kept);
    // Cuts the daily file of an unfinished write back to the size it had before.
    int CutBack(const std::string& name, std::uint64_t size);
    void Report(const std::string& text, int error);

    FileSystem& files_;
    std::string folder_;
    std::string path_;
    WarningSink warn_;
    std::function<LocalDateTime()> now_;
    std::unique_ptr<platform::Timer> sync_timer_;
    std::unique_ptr<journal::RecoveredBytes> recovered_;  // while the recovery reads
    bool recovery_failed_ = false;

    State state_ = State::Idle;
    std::unique_ptr<OutputFile> file_;  // open and locked while Open
    std::uint64_t generation_ = 0;
    std::uint64_t written_ = 0;  // L bytes in the file
    std::size_t buffered_ = 0;   // bytes of the buffer this journal was told of
    bool data_unsynced_ = false;
    bool folder_unsynced_ = false;
    bool failing_ = false;  // warned of a failure and not kept since

    UiThread* turn_ = nullptr;  // set: lines wait for the end of its turn
    std::string held_lines_;    // L bytes not yet in the file
    bool write_posted_ = false;
    // The posted write checks it, so that none reaches a destroyed journal.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// Counts the lines begun in a buffer's text (CR LF before each; a cut line first).
std::size_t CountBufferedLines(std::string_view bytes);

}  // namespace statistics
