// The journal on the real file system: one flush a second whatever the rate, a journal that
// cannot be written never stops the lines or the autosave, a journal another copy holds is
// left alone, and a damaged journal is read up to its last whole record.
#include "engine/statistics/line_journal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "engine/statistics/journal_records.h"
#include "engine/statistics/journal_recovery.h"
#include "engine/statistics/journal_scan.h"
#include "engine/statistics/tests/crash_file_system.h"
#include "engine/statistics/tests/faulty_file_system.h"
#include "engine/statistics/tests/temp_folder.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/doubles/virtual_clock.h"

namespace statistics {
namespace {

class LineJournalTest : public ::testing::Test {
  protected:
    std::string Log() const { return tmp / "log"; }
    std::string JournalPath() const { return Log() + "/" + kJournalFileName; }
    std::string Today() const { return Log() + "/2026-12-06.txt"; }
    std::unique_ptr<LineJournal> MakeJournal(FileSystem& fs) {
        return std::make_unique<LineJournal>(
            fs, Log(), clock, [this](const Warning& w) { warnings.push_back(w.text); });
    }
    void Receive(LineJournal& journal, const std::string& line) {
        buffer += "\r\n" + line;
        journal.Follow(buffer);
    }

    TempFolder tmp;
    platform::VirtualClock clock;
    FaultyFileSystem files;
    std::vector<std::string> warnings;
    std::string buffer;
    Autosaver autosave{files, Log(), [] { return LocalDateTime{2026, 12, 6, 12, 0, 0}; }};
};

TEST_F(LineJournalTest, LinesAreWrittenAtOnceAndFlushedOnceASecondWhateverTheRate) {
    CrashFileSystem disk;
    auto journal = MakeJournal(disk);
    int flushes = 0;
    for (int i = 0; i < 50; ++i) {
        clock.Advance(20);
        Receive(*journal, "L" + std::to_string(i));
        // In the file at once: a killed program loses nothing.
        EXPECT_NE(disk.Content(JournalPath()).find("\r\nL" + std::to_string(i) + " "),
                  std::string::npos);
    }
    clock.Advance(1000);
    for (std::size_t i = 0; i < disk.Changes(); ++i)
        flushes += disk.Change(i).starts_with("fdatasync");
    EXPECT_EQ(flushes, 1);  // a second after the first line, for all of them
    // Then they survive a power cut.
    disk.Crash([](const std::string&) { return CrashFileSystem::Loss::Unflushed; });
    EXPECT_EQ(journal::Read(disk.Content(JournalPath())).lines, buffer);
    EXPECT_TRUE(warnings.empty());
}

// The service's cost per packet: the lines of one receive event are one write, not one each.
TEST_F(LineJournalTest, LinesOfOneTurnAreOneWriteAtItsEndOrBeforeTheJournalsNextStep) {
    CrashFileSystem disk;
    QueuedUiThread ui;
    auto journal = MakeJournal(disk);
    journal->WriteOncePerTurn(ui);
    const auto writes = [&] {
        int n = 0;
        for (std::size_t i = 0; i < disk.Changes(); ++i)
            n += disk.Change(i).starts_with("write " + JournalPath());
        return n;
    };
    for (int i = 0; i < 5; ++i) Receive(*journal, "L" + std::to_string(i));
    EXPECT_EQ(writes(), 1);  // the header
    ui.RunPending();
    EXPECT_EQ(writes(), 2);
    EXPECT_EQ(journal::Read(disk.Content(JournalPath())).lines, buffer);

    // Lines still held when the autosave writes are in the journal before the daily file
    // changes: a crash in that write must find them there.
    Receive(*journal, "L5");
    Receive(*journal, "L6");
    Autosaver saver(disk, Log(), [] { return LocalDateTime{2026, 12, 6, 12, 0, 0}; });
    saver.SetWrites(journal.get());
    EXPECT_TRUE(saver.Step(buffer).saved);
    int before_daily_file = 0;
    for (std::size_t i = 0; !disk.Change(i).starts_with("write " + Today()); ++i)
        before_daily_file += disk.Change(i).starts_with("write " + JournalPath());
    EXPECT_EQ(before_daily_file, 4);  // the header, L0-L4, L5 and L6, where they go (W)
    ui.RunPending();

    // Held lines survive the journal's end; its posted write then finds nothing to do.
    Receive(*journal, "L7");
    journal.reset();
    ui.RunPending();
    EXPECT_EQ(journal::Read(disk.Content(JournalPath())).lines, "\r\nL7");
    EXPECT_TRUE(warnings.empty());
}

TEST_F(LineJournalTest, AJournalThatCannotBeWrittenCostsOneWarningAndNeitherLinesNorTheAutosave) {
    files.affects = [this](const std::string& path) { return path == JournalPath(); };
    files.DiskFullAfter(150, ENOSPC);  // the header and a line or two
    auto journal = MakeJournal(files);
    for (int i = 0; i < 5; ++i) Receive(*journal, "T1=37,5 line " + std::to_string(i));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("Не удалось вести журнал принятых строк \"" + JournalPath() +
                               "\": нет места на диске"),
              std::string::npos);
    // Removed: nothing in it may come back after the autosave has saved the lines.
    EXPECT_FALSE(std::filesystem::exists(JournalPath()));
    autosave.SetWrites(journal.get());
    const std::string saved = buffer;
    EXPECT_TRUE(autosave.Step(buffer).saved);
    EXPECT_EQ(TempFolder::Read(Today()), saved);

    // Still full: tried again once the buffer is empty, without a second warning.
    Receive(*journal, "after");
    EXPECT_FALSE(journal->Keeping());
    EXPECT_EQ(warnings.size(), 1u);
    files.Heal();
    autosave.Step(buffer);
    Receive(*journal, "healed");
    EXPECT_TRUE(journal->Keeping());
    clock.Advance(1000);
    EXPECT_EQ(journal::Read(TempFolder::Read(JournalPath())).lines, "\r\nhealed");
    // A failure after it was kept again is told again.
    files.affects = [this](const std::string& path) { return path == JournalPath(); };
    files.DiskFullAfter(0, EIO);
    Receive(*journal, "broken");
    EXPECT_EQ(warnings.size(), 2u);
    EXPECT_EQ(TempFolder::Read(Today()), saved + "\r\nafter");
}

TEST_F(LineJournalTest, AJournalAnotherCopyHoldsIsLeftAsItIs) {
    auto first = MakeJournal(files);
    Receive(*first, "mine");
    const std::string held = TempFolder::Read(JournalPath());
    std::string other_buffer;
    auto second = MakeJournal(files);
    EXPECT_TRUE(RecoverJournal(*second, autosave, other_buffer).notice.empty());
    other_buffer = "\r\ntheirs";
    second->Follow(other_buffer);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("другая запущенная копия"), std::string::npos);
    EXPECT_EQ(TempFolder::Read(JournalPath()), held);
    EXPECT_FALSE(std::filesystem::exists(Today()));
}

TEST_F(LineJournalTest, ADamagedJournalIsReadUpToItsLastWholeRecordAndGoesOnAfterIt) {
    {
        auto journal = MakeJournal(files);
        for (int i = 0; i < 4; ++i) Receive(*journal, "line " + std::to_string(i));
    }
    const std::string whole = TempFolder::Read(JournalPath());
    const std::string lines = journal::Read(whole).lines;
    ASSERT_EQ(lines, buffer);
    // Cut anywhere, as a crash leaves it, the reader gives the lines of the whole records
    // before the cut. With any byte changed it gives those before the damage (or, when the
    // damage is in the header, those after it) and nothing else, and finds it damaged.
    std::size_t previous = 0;
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        const journal::Contents c = journal::Read(whole.substr(0, cut));
        ASSERT_TRUE(lines.starts_with(c.lines)) << cut;
        ASSERT_LE(c.whole_length, cut);
        ASSERT_GE(c.lines.size(), previous);
        ASSERT_FALSE(c.Spoilt()) << cut;
        previous = c.lines.size();
        if (cut == whole.size()) break;
        std::string spoilt = whole;
        spoilt[cut] ^= 0x20;
        const journal::Contents s = journal::Read(spoilt);
        ASSERT_TRUE(lines.starts_with(s.lines)) << cut;
        if (!s.header_damaged) {
            ASSERT_LE(s.whole_length, cut) << cut;
        }
        ASSERT_TRUE(s.Spoilt()) << cut;
    }

    // A torn last record: three lines come back; the tail goes, so that what the journal
    // writes next can be read.
    TempFolder::Write(JournalPath(), whole.substr(0, whole.size() - 3));
    files.refuse_open = EACCES;
    files.affects = [this](const std::string& path) { return path == Today(); };
    std::string restarted;
    auto journal = MakeJournal(files);
    const JournalRecovery recovery = RecoverJournal(*journal, autosave, restarted);
    EXPECT_EQ(recovery.lines, 3u);
    EXPECT_EQ(restarted, "\r\nline 0\r\nline 1\r\nline 2");
    EXPECT_NE(recovery.notice.find(": 3. Записать их в файл"), std::string::npos);
    restarted += "\r\nnew";
    journal->Follow(restarted);
    EXPECT_EQ(journal::Read(TempFolder::Read(JournalPath())).lines, restarted);
}

}  // namespace
}  // namespace statistics
