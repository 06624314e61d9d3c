#include "testing/test_broker.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

// A socket on 127.0.0.1:port, bound (port 0: a free one, returned) or connected (true).
int OnLoopback(int port, bool connect) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    const auto* address = reinterpret_cast<sockaddr*>(&a);
    int result = connect ? ::connect(fd, address, length) == 0 : 0;
    if (!connect && ::bind(fd, address, length) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0)
        result = ntohs(a.sin_port);
    ::close(fd);
    return result;
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& output_file) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output_file.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

// Sends `signal` (0: none, the process ends by itself) and waits for the end.
void EndProcess(pid_t pid, int signal) {
    if (pid <= 0) return;
    ::kill(pid, signal);
    ::waitpid(pid, nullptr, 0);
}

// "topic payload" lines.
void ParseLines(const std::string& text, std::vector<std::pair<std::string, std::string>>& out) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const auto space = line.find(' ');
        out.emplace_back(line.substr(0, space), space == line.npos ? "" : line.substr(space + 1));
    }
}

}  // namespace

bool Await(QueuedUiThread& ui, const std::function<bool()>& done) {
    return ui.RunUntil(done, std::chrono::seconds(15));
}

TestBroker::TestBroker(BrokerOptions options)
    : options_(std::move(options)), port_(OnLoopback(0, false)) {
    const std::string dir = folder_.Path() + "/";
    std::string config = "listener " + std::to_string(port_) +
                         " 127.0.0.1\nuser root\npersistence false\nallow_anonymous " +
                         (options_.user.empty() ? "true\n" : "false\n");
    if (!options_.user.empty()) {
        Run("mosquitto_passwd -b -c " + dir + "passwd " + options_.user + " " + options_.password);
        config += "password_file " + dir + "passwd\n";
    }
    if (options_.tls) {
        const std::string req =
            " && openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1"
            " -nodes -days 2 2>/dev/null";
        Run("cd " + dir + req + " -x509 -keyout ca.key -out ca.crt -subj /CN=test-ca" + req +
            " -keyout server.key -out server.csr -subj /CN=127.0.0.1 && echo "
            "subjectAltName=IP:127.0.0.1 > san && openssl x509 -req -in server.csr -CA ca.crt "
            "-CAkey ca.key -CAcreateserial -days 2 -extfile san -out server.crt 2>/dev/null");
        config += "cafile " + dir + "ca.crt\ncertfile " + dir + "server.crt\nkeyfile " + dir +
                  "server.key\n";
    }
    Spit(folder_.File("broker.conf"), config);
    Start();
}

void TestBroker::Start() {
    if (pid_ > 0) return;
    pid_ = Spawn({MOSQUITTO_BROKER, "-c", folder_.File("broker.conf")}, folder_.File("broker.log"));
    for (int i = 0; i < 500 && !OnLoopback(port_, true); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!OnLoopback(port_, true))
        throw std::runtime_error("broker did not start: " + Slurp(folder_.File("broker.log")));
}

void TestBroker::Stop() {
    Signal(SIGCONT);
    EndProcess(pid_, SIGTERM);
    pid_ = -1;
}

void TestBroker::Signal(int signal) {
    if (pid_ > 0) ::kill(pid_, signal);
}

mqtt::Settings TestBroker::ClientSettings(const std::string& name) const {
    mqtt::Settings s;
    s.enabled = true;
    s.host = "127.0.0.1";
    s.port = port_;
    s.user = options_.user;
    s.password = options_.password;
    if (options_.tls) s.ca_file = CaFile();
    s.display_name = s.name = name;
    s.topic = "incubator/" + name;
    s.discovery_prefix = "homeassistant";
    s.reconnect_min = std::chrono::milliseconds(100);
    s.reconnect_max = std::chrono::milliseconds(400);
    return s;
}

std::vector<std::string> TestBroker::Client(const std::string& tool,
                                            std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {tool, "-h", "127.0.0.1", "-p", std::to_string(port_)});
    if (!options_.user.empty())
        arguments.insert(arguments.end(), {"-u", options_.user, "-P", options_.password});
    if (options_.tls) arguments.insert(arguments.end(), {"--cafile", CaFile()});
    return arguments;
}

Subscriber::Subscriber(const TestBroker& broker) {
    static int count = 0;
    file_ = broker.Folder().File("sub" + std::to_string(++count) + ".txt");
    pid_ = Spawn(broker.Client("mosquitto_sub", {"-t", "#", "-F", "%t %p"}), file_);
    // Subscribed once a probe comes back.
    const auto probe = broker.Client("mosquitto_pub", {"-t", "probe", "-m", "x"});
    for (int i = 0; i < 100 && On("probe").empty(); ++i) {
        EndProcess(Spawn(probe, broker.Folder().File("pub.log")), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

Subscriber::~Subscriber() {
    EndProcess(pid_, SIGTERM);
}

std::vector<std::string> Subscriber::On(const std::string& topic) {
    std::ifstream in(file_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(read_));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t whole_lines = text.rfind('\n') + 1;  // 0 when none is complete
    ParseLines(text.substr(0, whole_lines), received_);
    read_ += whole_lines;
    std::vector<std::string> out;
    for (const auto& [t, payload] : received_)
        if (t == topic) out.push_back(payload);
    return out;
}

std::map<std::string, std::string> RetainedMessages(const TestBroker& broker) {
    const std::string file = broker.Folder().File("retained.txt");
    std::remove(file.c_str());
    EndProcess(Spawn(broker.Client("mosquitto_sub",
                                   {"--retained-only", "-W", "1", "-t", "#", "-F", "%t %p"}),
                     file),
               0);
    std::vector<std::pair<std::string, std::string>> lines;
    ParseLines(Slurp(file), lines);
    return {lines.begin(), lines.end()};
}

void PublishRetained(const TestBroker& broker, const std::string& topic,
                     const std::string& payload) {
    EndProcess(Spawn(broker.Client("mosquitto_pub", {"-r", "-q", "1", "-t", topic, "-m", payload}),
                     broker.Folder().File("pub.log")),
               0);
}
