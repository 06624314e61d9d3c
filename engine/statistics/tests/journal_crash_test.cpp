// The journal of received lines at every crash point. A run receives lines, makes them
// durable, autosaves through a day change and a full disk that cuts a line; it is stopped at
// each of its changes of the disk in turn, the disk is left as a power cut, a kill or a torn
// write leaves each file, and the next start recovers. Then no line is in a daily file twice,
// none is missing that arrived more than a second before the crash (none at all that reached
// the journal before a kill), the daily files keep their format and no journal is left. A
// crash during that recovery, followed by another recovery, must give the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/statistics/autosaver.h"
#include "engine/statistics/journal_recovery.h"
#include "engine/statistics/line_journal.h"
#include "engine/statistics/tests/crash_file_system.h"
#include "platform/doubles/virtual_clock.h"

namespace statistics {
namespace {

using Loss = CrashFileSystem::Loss;

const std::string kLog = "/data/log";
const std::string kJournal = kLog + "/" + kJournalFileName;
const std::string kFirstDay = kLog + "/2026-12-06.txt";
const std::string kSecondDay = kLog + "/2026-12-07.txt";
// Of the first run's clock: the first run crosses two midnights.
constexpr std::uint64_t kMidnight = 5000;
constexpr std::uint64_t kSecondMidnight = 6200;

// The day of the month at `at` of the first run's clock.
int DayAt(std::uint64_t at) {
    return 6 + (at >= kMidnight) + (at >= kSecondMidnight);
}

// Received lines repeat; the check compares positions, never contents. Each is stamped with
// the time of the run's clock `at`, in its own day.
std::string Line(int n, std::uint64_t at) {
    const std::uint64_t since = at >= kSecondMidnight ? at - kSecondMidnight
                                : at >= kMidnight     ? at - kMidnight
                                                      : at;
    return "T1=37," + std::to_string(n % 10) + "  T2=37,2  T3=28,8  HM=51  OUT=_2______  0" +
           std::to_string(DayAt(at)) + ".12.26 " + (DayAt(at) == 6 ? "23:59:" : "00:00:") +
           std::to_string(10 + since / 100);
}

struct Received {
    std::string line;
    std::uint64_t at = 0;     // ms of the run's clock
    bool in_journal = false;  // its write to the journal was made before the disk stopped
};

// One run of the program on the disk: the journal follows the buffer, the autosave writes it.
struct Run {
    Run(CrashFileSystem& disk, platform::VirtualClock& clock, LocalDateTime first_day)
        : journal(disk, kLog, clock, [this](const Warning& w) { warnings.push_back(w.text); }),
          autosave(disk, kLog, [&clock, first_day] {
              LocalDateTime now = first_day;
              now.day = DayAt(clock.Now());
              return now;
          }) {
        autosave.SetWrites(&journal);
    }
    void Receive(const std::string& line) {
        buffer += "\r\n" + line;
        journal.Follow(buffer);
    }
    void Autosave() {
        journal.Follow(buffer);
        autosave.Step(buffer);
    }

    std::vector<std::string> warnings;  // outlives the journal, which may warn as it goes
    LineJournal journal;
    Autosaver autosave;
    std::string buffer;
};

// The run that crashes: 36 lines at 10 a second, three autosaves (the second cut short by a
// full disk in the middle of a line, the third after midnight, with lines of both days),
// lines of two days left unsaved at the end. `after_cut`: the disk's changes once the cut
// autosave is over.
std::vector<Received> Receive(CrashFileSystem& disk, platform::VirtualClock& clock,
                              std::size_t* after_cut = nullptr) {
    std::vector<Received> received;
    Run run(disk, clock, {2026, 12, 6, 23, 59, 0});
    int n = 0;
    auto lines = [&](int count, bool repeat = false) {
        for (int i = 0; i < count; ++i) {
            clock.Advance(100);
            const std::string line = Line(repeat ? 99 : n++, clock.Now());
            run.Receive(line);
            received.push_back({line, clock.Now(), !disk.Stopped()});
        }
    };
    lines(12);
    clock.Advance(50);
    run.Autosave();
    lines(3);
    lines(3, true);  // the same line three times
    lines(2);
    disk.room[kFirstDay] = 100;  // one line and part of the next
    run.Autosave();
    disk.room.clear();
    if (after_cut) *after_cut = disk.Changes();
    lines(1);
    clock.Advance(kMidnight - clock.Now());
    lines(5);
    run.Autosave();  // the first day's lines to its file, the second's to the second day's
    lines(5);
    clock.Advance(1500);
    lines(5);
    return received;
}

// The text of one daily file as lines; its format checked.
std::vector<std::string> DailyLines(const std::string& path, const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    EXPECT_TRUE(text.starts_with("\r\n")) << path;
    EXPECT_FALSE(text.ends_with("\n") || text.ends_with("\r")) << path;
    EXPECT_EQ(text.find('\0'), std::string::npos) << path;
    for (std::size_t at = 2;;) {
        const std::size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        EXPECT_FALSE(lines.back().empty()) << path << ": an empty line";
        if (end == std::string::npos) break;
        at = end + 2;
    }
    return lines;
}

// After the recovery: the daily files hold the received lines from the first on, in order,
// each once, at least those that a crash at `crash_at` must not lose.
void CheckRecovered(const CrashFileSystem& disk, const std::vector<Received>& received,
                    std::uint64_t crash_at, bool journal_killed, const std::string& where) {
    SCOPED_TRACE(where);
    std::vector<std::string> saved;
    for (const std::string& path : disk.Files(kLog)) {
        if (!path.ends_with(".txt")) continue;  // the journal, one kept aside, a copy's start
        const std::vector<std::string> lines = DailyLines(path, disk.Content(path));
        saved.insert(saved.end(), lines.begin(), lines.end());
    }
    ASSERT_LE(saved.size(), received.size()) << "more lines saved than received";
    for (std::size_t i = 0; i < saved.size(); ++i)
        ASSERT_EQ(saved[i], received[i].line) << "line " << i << " is not the one received";
    std::size_t kept = 0;
    for (const Received& r : received)
        if (r.at + LineJournal::kSyncDelayMs < crash_at || (journal_killed && r.in_journal)) ++kept;
    EXPECT_GE(saved.size(), kept) << "lost more than the last second";
    EXPECT_FALSE(disk.Has(kJournal)) << "the journal stays after everything was saved";
}

struct Outcome {
    std::vector<Received> received;
    std::uint64_t crash_at = 0;
    bool stopped = false;
};

// The run stopped at `change` and the crash that leaves each file as `losses` says.
Outcome CrashedRun(CrashFileSystem& disk, std::size_t change, Loss journal_loss, Loss file_loss,
                   std::size_t* after_cut = nullptr) {
    platform::VirtualClock clock;
    disk.SetClock([&clock] { return clock.Now(); });
    disk.StopAtChange(change);
    Outcome outcome;
    outcome.received = Receive(disk, clock, after_cut);
    outcome.stopped = disk.Stopped();
    outcome.crash_at = outcome.stopped ? disk.StoppedAt() : clock.Now();
    disk.SetClock({});
    disk.Crash(
        [&](const std::string& path) { return path == kJournal ? journal_loss : file_loss; });
    return outcome;
}

// A new start on `day`; the number of lines it recovered. `stop_at`: the disk stops there.
// `warnings`: at most so many (a journal kept aside is one).
std::size_t Recover(CrashFileSystem& disk, int day,
                    std::size_t stop_at = static_cast<std::size_t>(-1), std::size_t warnings = 0) {
    platform::VirtualClock clock;
    disk.StopAtChange(stop_at);
    Run run(disk, clock, {2026, 12, day, 8, 0, 0});
    const JournalRecovery recovery = RecoverJournal(run.journal, run.autosave, run.buffer);
    if (!disk.Stopped()) {
        EXPECT_TRUE(run.buffer.empty());
        EXPECT_LE(run.warnings.size(), warnings) << run.warnings.front();
        EXPECT_EQ(recovery.lines == 0, recovery.notice.empty());
    }
    return recovery.lines;
}

constexpr Loss kLosses[] = {Loss::Unflushed, Loss::Nothing, Loss::Torn, Loss::Zeros};

TEST(JournalCrash, TheRunWithoutACrashCutsALineAndCrossesMidnight) {
    CrashFileSystem disk;
    platform::VirtualClock clock;
    const std::vector<Received> received = Receive(disk, clock);
    ASSERT_EQ(received.size(), 36u);
    // The first day: the lines received before midnight; the second day: those after it.
    const std::vector<std::string> first = DailyLines(kFirstDay, disk.Content(kFirstDay));
    ASSERT_EQ(first.size(), 21u);
    EXPECT_EQ(first.back(), received[20].line);
    EXPECT_EQ(DailyLines(kSecondDay, disk.Content(kSecondDay)).size(), 5u);
    // The last ten are in the journal only; the next start puts them in their days' files.
    EXPECT_TRUE(disk.Has(kJournal));
    // The full disk cut a line, which the file lost again: it was written whole later.
    std::size_t cut = 0;
    for (std::size_t i = 0; i < disk.Changes(); ++i) {
        if (disk.Change(i) == "write " + kFirstDay + " 100 bytes") cut = i;
        if (cut != 0 && i == cut + 1) {
            EXPECT_TRUE(disk.Change(i).starts_with("truncate " + kFirstDay)) << disk.Change(i);
        }
    }
    EXPECT_NE(cut, 0u) << "the full disk did not cut a line";
    disk.Crash([](const std::string&) { return Loss::Nothing; });
    EXPECT_EQ(Recover(disk, 8), 10u);
    CheckRecovered(disk, received, clock.Now(), true, "no crash");
    EXPECT_EQ(disk.Files(kLog).size(), 3u);  // the last lines are of the second and third day
}

TEST(JournalCrash, AWriteReportedDoneIsNotUndone) {
    std::size_t after_cut = 0;
    {
        CrashFileSystem disk;
        platform::VirtualClock clock;
        Receive(disk, clock, &after_cut);
    }
    CrashFileSystem disk;
    // A kill: the record that the write is done is in the journal.
    const Outcome outcome = CrashedRun(disk, after_cut, Loss::Nothing, Loss::Unflushed);
    const std::string before = disk.Content(kFirstDay);
    ASSERT_EQ(Recover(disk, 6), 20u - 13u);
    for (std::size_t i = 0; i < disk.Changes(); ++i)
        EXPECT_FALSE(disk.Change(i).starts_with("truncate " + kFirstDay)) << disk.Change(i);
    EXPECT_TRUE(disk.Content(kFirstDay).starts_with(before));
    CheckRecovered(disk, outcome.received, outcome.crash_at, true, "after the cut autosave");
}

TEST(JournalCrash, EveryCrashPointOfTheRunIsRecoveredWithoutDoublesOrLossesBeyondASecond) {
    std::size_t changes = 0;
    {
        CrashFileSystem disk;
        platform::VirtualClock clock;
        Receive(disk, clock);
        changes = disk.Changes();
    }
    std::size_t starts = 0, recovered_some = 0;
    for (std::size_t change = 0; change <= changes; ++change)
        for (const Loss journal_loss : kLosses)
            for (const Loss file_loss : kLosses) {
                CrashFileSystem disk;
                const Outcome outcome = CrashedRun(disk, change, journal_loss, file_loss);
                const int crash_day = DayAt(outcome.crash_at);
                // The next start on the day of the crash or a day later.
                for (const int day : {crash_day, 9}) {
                    CrashFileSystem again = disk;
                    std::string where = "crash at change " + std::to_string(change) + " (" +
                                        (outcome.stopped ? "stopped" : "end") + "), journal " +
                                        CrashFileSystem::Name(journal_loss) + ", daily files " +
                                        CrashFileSystem::Name(file_loss) + ", start on day " +
                                        std::to_string(day);
                    recovered_some += Recover(again, day) > 0;
                    ++starts;
                    CheckRecovered(again, outcome.received, outcome.crash_at,
                                   journal_loss == Loss::Nothing, where);
                    if (::testing::Test::HasFailure()) return;
                }
            }
    std::printf(
        "[ crash    ] %zu crash points x 16 ways to leave the files, %zu starts, %zu "
        "of them recovered lines\n",
        changes + 1, starts, recovered_some);
    EXPECT_GT(recovered_some, starts / 2);
}

TEST(JournalCrash, ACrashDuringTheRecoveryIsRecoveredByTheNextStart) {
    std::size_t changes = 0;
    {
        CrashFileSystem disk;
        platform::VirtualClock clock;
        Receive(disk, clock);
        changes = disk.Changes();
    }
    const std::pair<Loss, Loss> first_crashes[] = {{Loss::Unflushed, Loss::Unflushed},
                                                   {Loss::Nothing, Loss::Unflushed},
                                                   {Loss::Torn, Loss::Zeros},
                                                   {Loss::Zeros, Loss::Torn}};
    std::size_t second_crashes = 0;
    for (std::size_t change = 0; change <= changes; ++change)
        for (const auto& [journal_loss, file_loss] : first_crashes) {
            CrashFileSystem disk;
            const Outcome outcome = CrashedRun(disk, change, journal_loss, file_loss);
            // How many changes a recovery from here makes.
            CrashFileSystem probe = disk;
            Recover(probe, 7);
            const std::size_t recovery_changes = probe.Changes();
            for (std::size_t stop = 0; stop < recovery_changes; ++stop)
                for (const Loss second_loss : kLosses) {
                    CrashFileSystem again = disk;
                    Recover(again, 7, stop);
                    again.Crash([&](const std::string&) { return second_loss; });
                    Recover(again, 7);
                    ++second_crashes;
                    CheckRecovered(
                        again, outcome.received, outcome.crash_at, journal_loss == Loss::Nothing,
                        "crash at change " + std::to_string(change) + ", journal " +
                            CrashFileSystem::Name(journal_loss) + ", files " +
                            CrashFileSystem::Name(file_loss) + "; recovery stopped at its change " +
                            std::to_string(stop) + ", " + CrashFileSystem::Name(second_loss));
                    if (::testing::Test::HasFailure()) return;
                }
        }
    std::printf("[ crash    ] %zu crashes during a recovery, each recovered again\n",
                second_crashes);
    EXPECT_GT(second_crashes, changes);
}

// A damaged journal is kept aside and a copy of its readable records takes its place. A crash
// at any point of that, and of the recovery after it, loses no line and doubles none.
TEST(JournalCrash, ACrashWhileADamagedJournalIsKeptAsideIsRecoveredByTheNextStart) {
    CrashFileSystem disk;
    std::vector<Received> received;
    {
        platform::VirtualClock clock;
        statistics::Run run(disk, clock, {2026, 12, 6, 23, 59, 0});
        for (int i = 0; i < 12; ++i) {
            clock.Advance(100);
            received.push_back({Line(i, clock.Now()), clock.Now(), true});
            run.Receive(received.back().line);
        }
        run.journal.Sync();
    }
    disk.Crash([](const std::string&) { return Loss::Nothing; });
    disk.Put(kJournal, "bytes before the header\n" + disk.Content(kJournal));
    CrashFileSystem probe = disk;
    Recover(probe, 6, static_cast<std::size_t>(-1), 1);
    CheckRecovered(probe, received, 0, true, "no crash");
    ASSERT_EQ(DailyLines(kFirstDay, probe.Content(kFirstDay)).size(), received.size());
    std::size_t crashes = 0;
    for (std::size_t stop = 0; stop < probe.Changes(); ++stop)
        for (const Loss loss : kLosses) {
            CrashFileSystem again = disk;
            Recover(again, 6, stop, 1);
            again.Crash([&](const std::string&) { return loss; });
            Recover(again, 6, static_cast<std::size_t>(-1), 1);
            ++crashes;
            CheckRecovered(again, received, 0, true,
                           "recovery stopped at its change " + std::to_string(stop) + " (" +
                               probe.Change(stop) + "), " + CrashFileSystem::Name(loss));
            ASSERT_EQ(DailyLines(kFirstDay, again.Content(kFirstDay)).size(), received.size());
            if (::testing::Test::HasFailure()) return;
        }
    std::printf("[ crash    ] %zu crashes while a damaged journal was kept aside\n", crashes);
}

}  // namespace
}  // namespace statistics
