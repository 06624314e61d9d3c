#pragma once
// One connection to the broker and the network thread that keeps it, on libmosquitto's
// one-turn calls: the thread connects, runs the library's loop while the connection lasts and,
// after a failure or a loss, waits (doubling the wait up to a maximum) and connects again. What
// happens is reported through a sink called on that thread, which only hands it on.
//
// Not mosquitto_loop_start: in libmosquitto 2.0 its thread retries without reporting failed
// attempts, stops for good after a TLS error, and with TLS takes a refused connect for one in
// progress and spins on it until the keep-alive runs out. Here the thread waits for the TCP
// connect itself, with a time-out, before the library reads or writes: a refused or silent
// broker ends the attempt with its cause, and the thread sleeps in poll() in every state.
//
// A client id that another connection takes is not taken back at once: the next attempt waits
// the longest back-off, so that two instances with one id do not fight over it.
//
// Once connected, the thread waits on the socket and a wake-up eventfd of its own instead of
// in mosquitto_loop, which the library wakes through a socket pair at every publish: a sample
// (QoS 0) wakes it only when no wake-up is pending already, so a burst goes out in the turn the
// first one started, and a lone sample at once; retained messages always wake it. What it
// wrote is collected for the owner (TakeWritten) and reported only when the owner asks. The
// library's socket pair is left unread meanwhile: it fills (its writes then fail, unblocking) and
// is read empty at the next connect.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "mqtt/settings.h"
#include "platform/posix/unique_fd.h"

struct mosquitto;

namespace mqtt {

struct LinkEvent {
    enum class Kind {
        kConnected,  // the broker accepted the login
        kEnded,      // an attempt or a connection ended (not reported when stopping)
        kWritten,    // after ReportNextWritten: a message was written (see TakeWritten)
    };
    explicit LinkEvent(Kind k) : kind(k) {}

    Kind kind;
    bool had_connected = false;  // kEnded: the connection had been up
    bool taken_over = false;     // kEnded: another connection took the client id
    int refused = 0;             // kEnded: the broker's refusal (an MQTT 5 reason code)
    std::string reason;          // kEnded: what went wrong, for a person
};

class Link {
  public:
    using Sink = std::function<void(LinkEvent)>;

    // Sets up the client (MQTT 5, login, TLS, the "offline" will on <topic>/availability);
    // throws std::runtime_error when the library refuses the settings. The client id is fixed,
    // so a restarted instance takes over its old session at once (instead of the old
    // session's will arriving after the new "online").
    Link(const Settings& settings, const std::string& client_id, Sink sink);
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    ~Link();  // Stop()

    void Start();

    // How long the library's loop sleeps when nothing happens: it sends the keep-alive pings.
    static constexpr int kLoopTimeoutMs = 1000;

    // Any thread. Returns the library's result code and, in `mid`, the message's id.
    int Publish(const std::string& topic, std::string_view payload, int qos, bool retain,
                int* mid = nullptr);

    // The ids of the messages written since the last call (a QoS 0 message is written when it
    // went to the socket, a QoS 1 one when the broker took it), into `mids`, emptied first.
    void TakeWritten(std::vector<int>& mids);
    // The next message written is reported as a kWritten event; false (and nothing asked)
    // when some are already waiting to be taken.
    bool ReportNextWritten();

    std::uint64_t ConnectAttempts() const { return attempts_.load(std::memory_order_relaxed); }

    // Ends the connection cleanly (what was published before goes out first, for at most two
    // seconds) and joins the thread.
    void Stop();

  private:
    using Clock = std::chrono::steady_clock;
    enum class Tcp { kConnected, kFailed, kStopped };

    void Run();
    // Runs one attempt and the connection it makes until it ends; false when stopping.
    bool RunConnection(LinkEvent& ended);
    // Waits until the library's socket has connected or failed (`error` then says why).
    Tcp AwaitTcpConnect(Clock::time_point deadline, int& error);
    // Sleeps for `delay` unless Stop comes first; true when stopping.
    bool Sleep(std::chrono::milliseconds delay);
    // One turn of a connection that is up: as mosquitto_loop, woken by wake_fd_.
    int Turn(int timeout_ms);
    void Wake();
    void Written(int mid);

    const Settings settings_;
    const Sink sink_;
    mosquitto* mosq_ = nullptr;
    platform::UniqueFd stop_fd_;  // an eventfd, readable once Stop has been called
    platform::UniqueFd wake_fd_;  // an eventfd: something waits to be written
    std::atomic<bool> stop_{false};
    std::atomic<bool> wake_pending_{false};  // woken for a sample, and the turn not yet writing

    std::mutex written_mutex_;
    std::vector<int> written_;
    bool report_written_ = false;
    std::atomic<std::uint64_t> attempts_{0};
    std::thread thread_;

    // The network thread's own.
    bool connect_called_ = false;
    bool attempt_connected_ = false;
    int attempt_refused_ = 0;
    int server_reason_ = 0;  // the reason code of a DISCONNECT from the broker
    Clock::time_point connected_at_{};
    int short_connections_ = 0;  // in a row, closed by the broker soon after the login
    std::string last_error_;
};

}  // namespace mqtt
