// The command runner with real programs: small /bin/sh scripts written to a temporary folder.
#include "platform/posix/command_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/termination_watch.h"
#include "platform/posix/tests/loop_fixture.h"
#include "platform/posix/tests/temp_folder.h"

namespace {

using namespace std::chrono_literals;
using platform::CommandEvent;
using platform::CommandFailure;
using platform::CommandRunner;
using platform::PollLoop;

std::string Script(const TempFolder& dir, const std::string& name, const std::string& body) {
    const std::string path = dir / name;
    TempFolder::Write(path, "#!/bin/sh\ndir=$(dirname \"$0\")\n" + body);
    ::chmod(path.c_str(), 0755);
    return path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Any child of this process at all, running or a zombie.
bool HasChildren() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

// A process that has ended: gone, or a zombie left to a parent that does not reap.
bool Ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    if (text.empty()) return true;
    const auto state = text.find(") ");
    return state != std::string::npos && (text[state + 2] == 'Z' || text[state + 2] == 'X');
}

struct Harness {
    PollLoop loop;
    std::vector<CommandFailure> failures;
    CommandRunner runner;

    explicit Harness(std::string program, std::chrono::milliseconds timeout = 20s)
        : runner(loop, {std::move(program), "incubator-2", timeout},
                 [this](const CommandFailure& f) { failures.push_back(f); }) {}

    bool Settle() {
        return RunUntil(loop, [&] { return runner.Running() == 0 && runner.Waiting() == 0; });
    }
};

TEST(CommandRunner, TheProgramSeesTheEventAsArgumentsAndEnvironmentAndACleanStart) {
    TempFolder dir;
    platform::BlockTerminationSignals();
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGUSR1, &ignore, &previous);
    ::setenv("INCUBATOR_VALUE", "stale", 1);
    int leaked[2];
    ASSERT_EQ(::pipe(leaked), 0);  // no close-on-exec: the runner must close it anyway

    const std::string program = Script(dir, "seen.sh", R"(
{
  # Shell builtins only, before anything else: the shell blocks signals around its forks.
  while read -r line; do
    case "$line" in SigBlk*|SigIgn*) printf '%s\n' "$line" ;; esac
  done < /proc/$$/status
  printf '%s\n' "$#" "$1" "$2" "$3"
  printf '%s\n' "$INCUBATOR_EVENT" "$INCUBATOR_CHANNEL" "$INCUBATOR_VALUE" "$INCUBATOR_INSTANCE"
  env | grep -c '^INCUBATOR_VALUE='
  wc -c
  if [ -e /proc/$$/fd/)" + std::to_string(leaked[0]) + R"( ]; then echo leaked; else echo closed; fi
} > "$dir/seen"
)");
    const std::string value = "37,5 \"x\" $(touch \"$dir/pwned\"); `touch \"$dir/pwned\"`";
    {
        Harness h(program);
        h.runner.Run({"alarm", "t1", value});
        ASSERT_TRUE(h.Settle());
        EXPECT_TRUE(h.failures.empty()) << h.failures.front().Text();
    }
    ::close(leaked[0]);
    ::close(leaked[1]);
    ::unsetenv("INCUBATOR_VALUE");
    ::sigaction(SIGUSR1, &previous, nullptr);

    const auto seen = Lines(TempFolder::Read(dir / "seen"));
    ASSERT_EQ(seen.size(), 13u) << TempFolder::Read(dir / "seen");
    EXPECT_EQ(seen[0], "SigBlk:\t0000000000000000");
    const std::uint64_t ignored = std::stoull(seen[1].substr(7), nullptr, 16);
    EXPECT_EQ(ignored & (std::uint64_t{1} << (SIGUSR1 - 1)), 0u) << seen[1];
    EXPECT_EQ(std::vector<std::string>(seen.begin() + 2, seen.begin() + 12),
              (std::vector<std::string>{"3", "alarm", "t1", value, "alarm", "t1", value,
                                        "incubator-2", "1", "0"}));
    EXPECT_EQ(seen[12], "closed");
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
}

TEST(CommandRunner, OneRunsPerKindTheNewestWaitingPerChannelAndKindsRunSideBySide) {
    TempFolder dir;
    const std::string program = Script(dir, "slow.sh", R"(
echo "start $1 $2 $3" >> "$dir/log-$1"
while [ ! -e "$dir/go-$1" ]; do sleep 0.01; done
echo "end $1 $2 $3" >> "$dir/log-$1"
)");
    Harness h(program);
    h.runner.Run({"alarm", "t1", "1"});  // starts
    h.runner.Run({"alarm", "t1", "0"});  // waits ...
    h.runner.Run({"alarm", "hm", "1"});
    h.runner.Run({"alarm", "t1", "2"});  // ... and is replaced by this one, now after hm
    h.runner.Run({"port", "COM1", "lost"});
    ASSERT_TRUE(RunUntil(h.loop, [&] {
        return !TempFolder::Read(dir / "log-alarm").empty() &&
               !TempFolder::Read(dir / "log-port").empty();
    }));
    EXPECT_EQ(h.runner.Running(), 2u);
    EXPECT_EQ(h.runner.Waiting(), 2u);
    TempFolder::Write(dir / "go-alarm", "");
    TempFolder::Write(dir / "go-port", "");
    ASSERT_TRUE(h.Settle());
    EXPECT_TRUE(h.failures.empty());
    EXPECT_EQ(Lines(TempFolder::Read(dir / "log-alarm")),
              (std::vector<std::string>{"start alarm t1 1", "end alarm t1 1", "start alarm hm 1",
                                        "end alarm hm 1", "start alarm t1 2", "end alarm t1 2"}));
    EXPECT_EQ(Lines(TempFolder::Read(dir / "log-port")),
              (std::vector<std::string>{"start port COM1 lost", "end port COM1 lost"}));
}

TEST(CommandRunner, EachFailureIsReportedOnceAndNothingRunsThroughAShell) {
    TempFolder dir;
    struct Case {
        std::string program;
        CommandFailure::Kind kind;
        long long code;
        std::string in_text;
    };
    const std::string not_a_program = dir / "plain.txt";
    TempFolder::Write(not_a_program, "touch \"$(dirname \"$0\")/ran\"\n");
    ::chmod(not_a_program.c_str(), 0755);
    const std::vector<Case> cases = {
        {Script(dir, "exit3.sh", "exit 3\n"), CommandFailure::Kind::ExitStatus, 3, "кодом 3"},
        {Script(dir, "term.sh", "kill -TERM $$\nsleep 5\n"), CommandFailure::Kind::Signal, SIGTERM,
         "SIGTERM"},
        {dir / "missing", CommandFailure::Kind::NotStarted, ENOENT, "не запущена"},
        {not_a_program, CommandFailure::Kind::NotStarted, ENOEXEC, "не запущена"},
    };
    for (const Case& c : cases) {
        Harness h(c.program);
        h.runner.Run({"no_data", "", "3000"});
        ASSERT_TRUE(h.Settle());
        RunFor(h.loop, 20ms);
        ASSERT_EQ(h.failures.size(), 1u) << c.program;
        const CommandFailure& f = h.failures[0];
        EXPECT_EQ(f.kind, c.kind) << c.program;
        EXPECT_EQ(f.code, c.code) << c.program;
        EXPECT_EQ(f.event, (CommandEvent{"no_data", "", "3000"}));
        EXPECT_NE(f.Text().find(c.in_text), std::string::npos) << f.Text();
        EXPECT_NE(f.Text().find(c.program), std::string::npos) << f.Text();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "ran"));

    Harness fine(Script(dir, "ok.sh", "exit 0\n"));
    fine.runner.Run({"alarm", "t2", "1"});
    ASSERT_TRUE(fine.Settle());
    EXPECT_TRUE(fine.failures.empty());
    EXPECT_FALSE(HasChildren());
}

TEST(CommandRunner, AHangingProgramIsKilledWithWhatItStartedAndTheNextOneRuns) {
    TempFolder dir;
    const std::string program = Script(dir, "hang.sh", R"(
if [ "$2" = hang ]; then
  sleep 1000 >/dev/null 2>&1 &
  echo $! > "$dir/grandchild.tmp"
  mv "$dir/grandchild.tmp" "$dir/grandchild"
  wait
fi
echo "$2" >> "$dir/done"
)");
    Harness h(program, 1s);
    h.runner.Run({"alarm", "hang", "1"});
    h.runner.Run({"alarm", "t1", "1"});
    ASSERT_TRUE(h.Settle());
    ASSERT_EQ(h.failures.size(), 1u);
    EXPECT_EQ(h.failures[0].kind, CommandFailure::Kind::TimedOut);
    EXPECT_EQ(h.failures[0].event.channel, "hang");
    EXPECT_NE(h.failures[0].Text().find("за 1 с"), std::string::npos) << h.failures[0].Text();
    EXPECT_EQ(TempFolder::Read(dir / "done"), "t1\n");
    ASSERT_TRUE(std::filesystem::exists(dir / "grandchild")) << "killed before it started sleep";
    const pid_t grandchild = std::stoi(TempFolder::Read(dir / "grandchild"));
    EXPECT_TRUE(RunUntil(
        h.loop, [&] { return Ended(grandchild); }, 2s));
    if (!Ended(grandchild)) ::kill(grandchild, SIGKILL);
    EXPECT_FALSE(HasChildren());
}

TEST(CommandRunner, EndingTheRunnerKillsAndReapsWhatRunsAndLeavesNoDescriptor) {
    TempFolder dir;
    const std::string program = Script(dir, "wait.sh", R"(
echo $$ > "$dir/pid-$2.tmp"
mv "$dir/pid-$2.tmp" "$dir/pid-$2"
if [ "$2" = fail ]; then exit 1; fi
exec sleep 1000 >/dev/null 2>&1
)");
    const std::size_t descriptors_before = OpenDescriptors();
    pid_t hanging = -1;
    {
        platform::BlockTerminationSignals();
        PollLoop loop;
        platform::TerminationWatch signals(loop, [](int) {});
        std::vector<CommandFailure> failures;
        CommandRunner runner(loop, {program, "x", 20s},
                             [&](const CommandFailure& f) { failures.push_back(f); });
        runner.Run({"port", "fail", "lost"});
        runner.Run({"alarm", "sleep", "1"});
        runner.Run({"alarm", "t1", "1"});  // still waiting when the runner ends
        ASSERT_TRUE(RunUntil(loop, [&] {
            return failures.size() == 1 && std::filesystem::exists(dir / "pid-sleep");
        }));
        EXPECT_EQ(runner.Running(), 1u);
        hanging = std::stoi(TempFolder::Read(dir / "pid-sleep"));
        EXPECT_FALSE(Ended(hanging));
    }
    EXPECT_TRUE(Ended(hanging));
    if (!Ended(hanging)) ::kill(hanging, SIGKILL);
    EXPECT_FALSE(HasChildren());
    EXPECT_FALSE(std::filesystem::exists(dir / "pid-t1"));
    EXPECT_EQ(OpenDescriptors(), descriptors_before);
}

}  // namespace
