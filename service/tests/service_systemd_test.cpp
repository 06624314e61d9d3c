// incubator-monitord as systemd runs it: its standard error on the journal's stream, and its
// readiness, its watchdog's pings and its end told to a notification socket.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "testing/child_process.h"
#include "testing/daily_lines.h"
#include "testing/program_rig.h"
#include "testing/temp_folder.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// JOURNAL_STREAM as systemd sets it for a service whose output goes to the journal: the
// device and inode of that stream, here a file made for it.
std::string JournalStream(const std::string& file) {
    Spit(file, "");
    struct stat st {};
    ::stat(file.c_str(), &st);
    return "JOURNAL_STREAM=" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

TEST(ServiceJournal, LinesOnTheJournalsStreamCarryTheirPriorityAndStayPlainElsewhere) {
    ProgramRig rig;
    const std::string ini = rig.File("hall.ini");
    // A port that is not there: its warning, then the watchdog's every 3 seconds.
    Spit(ini, "[ComPort1]\nPort=" + rig.File("ttyINC") + "\nSignalOffData=1\n[LogFile]\nTime=1\n");
    rig.StartProgram({INCUBATOR_MONITORD_PATH, "--config", ini},
                     {JournalStream(rig.File("program.err"))});
    ASSERT_TRUE(WaitUntil(
        [&] { return rig.Errors().find("Нет данных от инкубатора.") != std::string::npos; }, 10s))
        << rig.Errors();
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();
    const std::vector<std::string> lines = Lines(rig.Errors());
    ASSERT_GE(lines.size(), 4u) << rig.Errors();
    EXPECT_TRUE(lines.front().starts_with("<6>incubator-monitord: configuration ")) << rig.Errors();
    EXPECT_EQ(lines.back(), "<6>incubator-monitord: ending on TERM");
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(lines[i].starts_with("<4>Внимание!: ")) << lines[i];

    // An error; and the same with a JOURNAL_STREAM inherited from elsewhere: plain.
    const std::string missing = rig.File("missing.ini");
    const std::string err = rig.File("missing.err");
    const std::string stream = JournalStream(err);
    for (const std::string& env : {stream, JournalStream(rig.File("other"))}) {
        ChildProcess service({INCUBATOR_MONITORD_PATH, "--config", missing}, "", err, {env});
        ASSERT_EQ(service.WaitForExit(10s), 1 << 8);
        EXPECT_EQ(Slurp(err).rfind(std::string(env == stream ? "<3>" : "") +
                                       "incubator-monitord: Не удалось прочитать файл настроек \"" +
                                       missing + "\"",
                                   0),
                  0u)
            << Slurp(err);
    }
}

// The datagram socket systemd makes for a Type=notify service and names in NOTIFY_SOCKET.
class NotifySocket {
  public:
    explicit NotifySocket(std::string path)
        : path_(std::move(path)), fd_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path_.c_str(), sizeof a.sun_path - 1);
        bound_ = ::bind(fd_.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    bool Bound() const { return bound_; }
    std::string Environment() const { return "NOTIFY_SOCKET=" + path_; }

    // The next message, or nothing within `timeout`.
    std::optional<std::string> Next(std::chrono::milliseconds timeout) {
        pollfd p{fd_.Get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(timeout.count())) != 1) return std::nullopt;
        char m[4096];
        const ssize_t n = ::recv(fd_.Get(), m, sizeof m, 0);
        return n < 0 ? std::nullopt : std::optional<std::string>(std::string(m, std::size_t(n)));
    }
    // The messages that come within `time`.
    std::vector<std::string> During(std::chrono::milliseconds time) {
        std::vector<std::string> messages;
        const auto until = std::chrono::steady_clock::now() + time;
        for (auto now = std::chrono::steady_clock::now(); now < until;
             now = std::chrono::steady_clock::now()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
            if (auto m = Next(left)) messages.push_back(std::move(*m));
        }
        return messages;
    }

  private:
    std::string path_;
    platform::UniqueFd fd_;
    bool bound_ = false;
};

TEST(ServiceUnderSystemd, ReadyOnceTheJournalIsRecoveredPingsFromItsLoopAndStoppingAtTheEnd) {
    ProgramRig rig;
    rig.StartSimulator({"--rate", "20", "--seed", "3"});
    ASSERT_FALSE(rig.Pty().empty());
    const std::string ini = rig.File("hall.ini");
    const std::string log = rig.File("log");
    Spit(ini, "[ComPort1]\nPort=" + rig.Pty() + "\n[LogFile]\nTime=1\n");
    // A first run killed before its first autosave: its lines wait in the journal.
    rig.StartProgram({INCUBATOR_MONITORD_PATH, "--config", ini, "--echo"});
    ASSERT_TRUE(rig.WaitForEchoedLines(20)) << rig.Errors();
    rig.End(SIGKILL);
    const std::vector<std::string> first = rig.Echoed();
    ASSERT_TRUE(e2e::ReadDailyLines(log).empty());

    NotifySocket notify(rig.File("notify"));
    ASSERT_TRUE(notify.Bound());
    ChildProcess service({INCUBATOR_MONITORD_PATH, "--config", ini, "--echo"},
                         rig.File("echo2.txt"), rig.File("service.err"),
                         {notify.Environment(), "WATCHDOG_USEC=1000000"});
    const auto errors = [&] { return Slurp(rig.File("service.err")); };
    const std::optional<std::string> ready = notify.Next(10s);
    const std::vector<std::string> recovered = e2e::ReadDailyLines(log);
    ASSERT_EQ(ready, "READY=1") << errors();
    // Only the line being journaled when the kill came may be missing.
    EXPECT_GE(recovered.size() + 1, first.size()) << errors();
    EXPECT_TRUE(std::equal(recovered.begin(), recovered.end(), first.begin())) << errors();

    // A ping every half of WATCHDOG_USEC: some 8 in 4 seconds, and nothing else.
    const std::vector<std::string> pings = notify.During(4s);
    EXPECT_GE(pings.size(), 5u);
    EXPECT_LE(pings.size(), 10u);
    EXPECT_EQ(std::count(pings.begin(), pings.end(), "WATCHDOG=1"), std::ssize(pings));

    // A loop that does not run pings no more; running again, it does.
    ASSERT_TRUE(service.Signal(SIGSTOP));
    notify.During(300ms);  // a ping already on its way
    EXPECT_EQ(notify.During(1500ms), std::vector<std::string>{});
    ASSERT_TRUE(service.Signal(SIGCONT));
    EXPECT_EQ(notify.Next(2s), "WATCHDOG=1");

    ASSERT_TRUE(service.Signal(SIGTERM));
    std::optional<std::string> m;
    while ((m = notify.Next(10s)) && *m == "WATCHDOG=1") {
    }
    EXPECT_EQ(m, "STOPPING=1") << errors();
    ASSERT_TRUE(EndedNormally(service.WaitForExit(30s))) << errors();

    // The recovered lines first, then those of the second run, each once.
    std::vector<std::string> expected = recovered;
    for (const std::string& line : e2e::SplitEchoText(Slurp(rig.File("echo2.txt"))))
        expected.push_back(line);
    EXPECT_EQ(e2e::ReadDailyLines(log), expected);
}

// The loop itself held up, the process running: its echo into a pipe nobody reads blocks it.
// The pings stop, so systemd would restart it; once the pipe is read again they come back.
TEST(ServiceUnderSystemd, ALoopThatIsHeldUpStopsPinging) {
    ProgramRig rig;
    rig.StartSimulator({"--rate", "100", "--seed", "4"});
    ASSERT_FALSE(rig.Pty().empty());
    const std::string ini = rig.File("hall.ini");
    Spit(ini, "[ComPort1]\nPort=" + rig.Pty() + "\n[LogFile]\nTime=1\n");
    const std::string fifo = rig.File("echo.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const platform::UniqueFd reader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    ASSERT_TRUE(reader.Valid());
    ::fcntl(reader.Get(), F_SETPIPE_SZ, 4096);  // full within a second
    NotifySocket notify(rig.File("notify"));
    ASSERT_TRUE(notify.Bound());
    ChildProcess service({INCUBATOR_MONITORD_PATH, "--config", ini, "--echo"}, fifo,
                         rig.File("service.err"), {notify.Environment(), "WATCHDOG_USEC=1000000"});
    const auto errors = [&] { return Slurp(rig.File("service.err")); };
    ASSERT_EQ(notify.Next(10s), "READY=1") << errors();

    // The pipe fills; from then on no ping for three times their interval.
    EXPECT_TRUE(WaitUntil([&] { return notify.During(1500ms).empty(); }, 20s))
        << "still pinging with its loop held up";
    EXPECT_FALSE(service.WaitForExit(0ms));

    std::atomic<bool> draining = true;
    std::jthread drain([&] {
        char buffer[4096];
        while (draining) {
            pollfd p{reader.Get(), POLLIN, 0};
            if (::poll(&p, 1, 50) == 1 && ::read(reader.Get(), buffer, sizeof buffer) < 0) break;
        }
    });
    EXPECT_EQ(notify.Next(3s), "WATCHDOG=1");
    ASSERT_TRUE(service.Signal(SIGTERM));
    EXPECT_TRUE(EndedNormally(service.WaitForExit(30s))) << errors();
    draining = false;
}

}  // namespace
