// The process runs of the process benchmarks: the programs, the simulator, the broker, the
// folder, in the right order (see process_run.h).
#include "bench/process_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/statistics/daily_file_name.h"
#include "testing/test_broker.h"
#include "testing/temp_folder.h"

#ifndef INCUBATOR_MONITOR_PATH
#define INCUBATOR_MONITOR_PATH ""
#endif
#ifndef INCUBATOR_MONITORD_PATH
#define INCUBATOR_MONITORD_PATH ""
#endif

extern char** environ;

namespace process_run {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct RunSettings {
    long long packets = 100'000;
    double rate = 1000;
    int burst = 10;
};
RunSettings g_run;

// The programs under test, one benchmark each: a row here adds one. In `config`, `arguments` and
// `environment`, {config} stands for the configuration file's path, {folder} for the run's
// temporary folder and {mqtt_port} for the port of the broker started for the run.
struct Variant {
    const char* name;
    const char* executable;  // "": not built
    // Run a copy placed in the run's folder: the window program looks for its configuration
    // and log/ beside itself.
    bool copy_beside_config;
    std::string config;  // after the port and autosave settings
    std::vector<std::string> arguments;
    std::vector<std::string> environment;  // NAME=VALUE, over this process's environment
    bool broker;                           // a Mosquitto broker on 127.0.0.1 for the run
};

// The service's rows stand until it is built; they are then measured as they are.

const Variant kVariants[] = {
    {"Window", INCUBATOR_MONITOR_PATH, true, "", {"--echo"}, {"QT_QPA_PLATFORM=offscreen"}, false},
    {"Service", INCUBATOR_MONITORD_PATH, false, "", {"--config", "{config}", "--echo"}, {}, false},
    {"ServiceMqtt",
     INCUBATOR_MONITORD_PATH,
     false,
     "[MQTT]\nHost=127.0.0.1\nPort={mqtt_port}\n",
     {"--config", "{config}", "--echo"},
     {},
     true},
};

// Set by SIGINT, SIGTERM or SIGHUP: the runs end early, so that their processes are ended too.
volatile std::sig_atomic_t g_interrupted = 0;

// Nothing new from the program for this long: it has stopped taking packets.
constexpr auto kStall = 30s;

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// A child process with its output in files; ended (SIGTERM, then SIGKILL) when dropped.
class Process {
  public:
    Process(std::vector<std::string> argv, const std::vector<std::string>& environment,
            const std::string& out_file, const std::string& err_file) {
        std::vector<std::string> env = environment;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('=') + 1);
            const auto overridden = [&](const std::string& a) { return a.starts_with(name); };
            if (std::none_of(environment.begin(), environment.end(), overridden))
                env.push_back(entry);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const int flags = O_WRONLY | O_CREAT | O_TRUNC;
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_file.c_str(), flags, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_file.c_str(), flags, 0644);
        const int rc = posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(),
                                   Pointers(env).data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    ~Process() {
        if (!Running()) return;
        ::kill(pid_, SIGTERM);
        const auto deadline = Clock::now() + 15s;
        while (Running() && Clock::now() < deadline) std::this_thread::sleep_for(20ms);
        if (!Running()) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }

    pid_t Pid() const { return pid_; }

    bool Running() {
        int status = 0;
        if (!status_ && ::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
        return !status_;
    }

    std::string Ending() const {
        if (!status_) return "still running";
        if (WIFSIGNALED(*status_)) return "signal " + std::to_string(WTERMSIG(*status_));
        return "exit status " + std::to_string(WEXITSTATUS(*status_));
    }

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// The lines a child has written to a file so far; each call reads only what was added.
class LineCounter {
  public:
    explicit LineCounter(std::string path) : path_(std::move(path)) {}
    LineCounter(const LineCounter&) = delete;
    LineCounter& operator=(const LineCounter&) = delete;
    ~LineCounter() {
        if (fd_ >= 0) ::close(fd_);
    }

    long long Count() {
        if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        char buffer[1 << 16];
        ssize_t n = 0;
        while (fd_ >= 0 && (n = ::read(fd_, buffer, sizeof buffer)) > 0)
            lines_ += std::count(buffer, buffer + n, '\n');
        return lines_;
    }

  private:
    std::string path_;
    int fd_ = -1;
    long long lines_ = 0;
};

// Packets the simulator's log says were written (a line each; "lost" when the write failed).
long long SentPackets(const std::string& sim_log) {
    std::istringstream in(Slurp(sim_log));
    long long sent = 0;
    for (std::string line; std::getline(in, line);) sent += !line.ends_with(" lost");
    return sent;
}

std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values) {
        for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
            text.replace(at, key.size(), value);
            at += value.size();
        }
    }
    return text;
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// Today's daily file name, as the monitor forms it.
std::string TodaysFileName() {
    return statistics::DailyFileName(CurrentLocalDateTime());
}

std::string ErrorsOf(const std::string& file) {
    const std::string text = Slurp(file);
    if (text.empty()) return "";
    return "; its standard error ends: " +
           text.substr(text.size() - std::min<size_t>(text.size(), 400));
}

// A run of a variant: its folder, broker and processes, ended in the right order.
class Run {
  public:
    explicit Run(const Variant& v) : v_(v) {}

    std::string Measure(Probe& probe, benchmark::State& state) {
        if (!*v_.executable) return std::string(v_.name) + ": the program is not built";
        if (!fs::exists(v_.executable)) return std::string(v_.executable) + " does not exist";
        if (v_.broker) broker_ = std::make_unique<TestBroker>();
        if (std::string why = StartSimulator(); !why.empty()) return why;
        StartProgram();

        // Start-up (the toolkit, the window, opening the port) is left out: the measurement
        // starts after the first packets.
        const long long n = g_run.packets;
        if (std::string why = AwaitLines(std::max(1LL, n / 50)); !why.empty()) return why;
        const long long taken_before = echoed_->Count();
        if (std::string why = probe.Begin(program_->Pid()); !why.empty()) return why;
        const auto start = Clock::now();
        if (std::string why = AwaitLines(n); !why.empty()) return why;
        const long long taken = echoed_->Count();
        if (std::string why = probe.End(program_->Pid(), taken - taken_before, state); !why.empty())
            return why;
        const std::chrono::duration<double> wall = Clock::now() - start;

        // The simulator logs a write just after making it.
        long long sent = 0;
        for (int i = 0; i < 100 && (sent = SentPackets(File("sim.log"))) < n; ++i)
            std::this_thread::sleep_for(50ms);
        state.counters["taken"] = static_cast<double>(taken);
        state.counters["sent"] = static_cast<double>(sent);
        if (taken != sent)
            return "the program took " + std::to_string(taken) + " packets of " +
                   std::to_string(sent) + " sent";
        state.SetIterationTime(wall.count());
        return "";
    }

  private:
    std::string File(const std::string& name) const { return folder_.File(name); }

    std::string StartSimulator() {
        sim_ = std::make_unique<Process>(
            std::vector<std::string>{INCUBATOR_SIM_PATH, "--rate", Number(g_run.rate), "--burst",
                                     std::to_string(g_run.burst), "--count",
                                     std::to_string(g_run.packets), "--seed", "1", "--log",
                                     File("sim.log")},
            std::vector<std::string>{}, File("sim.out"), File("sim.err"));
        // Its first line is the pseudo-terminal's path.
        for (auto deadline = Clock::now() + 10s;
             Clock::now() < deadline && sim_->Running() && !g_interrupted;) {
            const std::string out = Slurp(File("sim.out"));
            if (const auto end = out.find('\n'); end != std::string::npos) {
                pty_ = out.substr(0, end);
                return "";
            }
            std::this_thread::sleep_for(20ms);
        }
        return "incubator-sim gave no pseudo-terminal (" + sim_->Ending() + ")" +
               ErrorsOf(File("sim.err"));
    }

    void StartProgram() {
        std::string exe = v_.executable;
        if (v_.copy_beside_config) {
            exe = File(fs::path(exe).filename());
            fs::copy_file(v_.executable, exe);
        }
        const std::string config = File(fs::path(exe).filename().string() + ".ini");
        const std::vector<std::pair<std::string, std::string>> values = {
            {"{config}", config},
            {"{folder}", folder_.Path()},
            {"{mqtt_port}", broker_ ? std::to_string(broker_->Port()) : ""}};
        Spit(config, "[ComPort1]\nPort=" + pty_ + "\nOpenStart=1\n[LogFile]\nTime=1\n" +
                         Fill(v_.config, values));
        // Today's daily file exists, so the first autosave does not empty the window's display,
        // which then holds every line, as in a program that has run since midnight.
        fs::create_directory(File("log"));
        Spit(File("log/" + TodaysFileName()), "");

        std::vector<std::string> argv{exe};
        for (const std::string& a : v_.arguments) argv.push_back(Fill(a, values));
        // Nothing of the run goes to the user's own folders.
        std::vector<std::string> env{"XDG_CONFIG_HOME=" + File("config"),
                                     "XDG_DATA_HOME=" + File("data")};
        for (const std::string& e : v_.environment) env.push_back(Fill(e, values));
        program_ = std::make_unique<Process>(argv, env, File("echo.txt"), File("program.err"));
        echoed_ = std::make_unique<LineCounter>(File("echo.txt"));
    }

    // Until the program has echoed `target` lines: "", or why not.
    std::string AwaitLines(long long target) {
        long long seen = echoed_->Count();
        for (auto progress = Clock::now();; std::this_thread::sleep_for(20ms)) {
            const long long n = echoed_->Count();
            if (n >= target) return "";
            if (n != seen) {
                seen = n;
                progress = Clock::now();
            }
            std::string why;
            if (g_interrupted)
                why = "interrupted";
            else if (!program_->Running())
                why = "the program ended (" + program_->Ending() + ")";
            else if (Clock::now() - progress > kStall)
                why = "the program took nothing for " +
                      std::to_string(std::chrono::seconds(kStall).count()) + " s";
            if (!why.empty())
                return why + " after taking " + std::to_string(n) + " packets of " +
                       std::to_string(SentPackets(File("sim.log"))) + " sent" +
                       ErrorsOf(File("program.err"));
        }
    }

    const Variant& v_;
    // Declared so that they end in this order: the program, the simulator (which leaves once
    // its reader has gone), the broker, the folder.
    TempFolder folder_;
    std::unique_ptr<TestBroker> broker_;
    std::unique_ptr<Process> sim_;
    std::string pty_;
    std::unique_ptr<Process> program_;
    std::unique_ptr<LineCounter> echoed_;
};

// One run of the variant: "" with the counters set, or why it could not be measured.
std::string MeasureOnce(const Variant& v, Probe& probe, benchmark::State& state) {
    if (g_interrupted) return "interrupted";
    try {
        return Run(v).Measure(probe, state);
    } catch (const std::exception& e) {
        return e.what();
    }
}

// Takes this program's own options out of argv; false on a bad one.
bool TakeRunOptions(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&](const char* name, auto& out) {
            if (!a.starts_with(name)) return false;
            const char* text = a.c_str() + std::strlen(name);
            char* end = nullptr;
            const double v = std::strtod(text, &end);
            if (end == text || *end || v < 1) throw std::invalid_argument(a);
            out = static_cast<std::remove_reference_t<decltype(out)>>(v);
            return true;
        };
        try {
            if (a == "--quick")
                g_run.packets = 5000;
            else if (!value("--packets=", g_run.packets) && !value("--rate=", g_run.rate) &&
                     !value("--burst=", g_run.burst))
                argv[kept++] = argv[i];
        } catch (const std::invalid_argument&) {
            std::fprintf(stderr, "bad value in %s\n", a.c_str());
            return false;
        }
    }
    argc = kept;
    return true;
}

}  // namespace

int Main(int argc, char** argv, const char* family,
         const std::function<std::unique_ptr<Probe>()>& make_probe) {
    if (!TakeRunOptions(argc, argv)) return 2;
    struct sigaction ending {};
    ending.sa_handler = [](int) { g_interrupted = 1; };
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &ending, nullptr);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::AddCustomContext("packets", std::to_string(g_run.packets));
    benchmark::AddCustomContext("rate", Number(g_run.rate) + "/s");
    benchmark::AddCustomContext("burst", "1-" + std::to_string(g_run.burst));
    for (const Variant& v : kVariants) {
        const auto measure = [&v, make_probe](benchmark::State& state) {
            for (auto _ : state) {
                const std::unique_ptr<Probe> probe = make_probe();
                if (const std::string why = MeasureOnce(v, *probe, state); !why.empty()) {
                    state.SkipWithError(why.c_str());
                    break;
                }
            }
        };
        benchmark::RegisterBenchmark((std::string(family) + "/" + v.name).c_str(), measure)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace process_run
