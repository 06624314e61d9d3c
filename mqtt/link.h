#pragma once
// One connection to the broker and the thread that keeps it: it connects, runs the
// library's network loop, and after a failure or a loss waits (doubling the wait up to a
// maximum) and connects again. Connects and ends are reported through a sink called on that
// thread.
//
// Samples reach that thread without waking it: the owner pushes them onto a lock-free list
// that the thread takes at each turn of its loop (at least every publish_interval), so a
// sample costs the owner no system call and the thread no wake of its own. The thread keeps
// at most kMaxStatesInFlight of them in the library (published, not yet written out) and a
// burst behind them; when none has been written out for a while, only the newest waits.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "mqtt/settings.h"

struct mosquitto;

namespace mqtt {

struct LinkEvent {
    enum class Kind {
        kConnected,  // the broker accepted the login
        kEnded,      // an attempt or a connection ended (not reported when stopping)
    };
    explicit LinkEvent(Kind k) : kind(k) {}

    Kind kind;
    bool had_connected = false;  // kEnded: the connection had been up
    int refused = 0;             // kEnded: the broker's refusal code (5: not authorised)
    std::string reason;          // kEnded: what went wrong, for a person
};

class Link {
  public:
    static constexpr std::size_t kMaxStatesInFlight = 16;
    using Sink = std::function<void(LinkEvent)>;

    // Sets up the client (login, TLS, the "offline" will on <topic>/availability); throws
    // std::runtime_error when the library refuses the settings. The client id is fixed, so a
    // restarted instance takes over its old session at once (instead of the old session's
    // will arriving after the new "online"); it must differ between machines.
    Link(const Settings& settings, const std::string& client_id, Sink sink);
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    ~Link();  // Stop()

    void Start();

    // One thread only (the owner's): a sample for <topic>/state, sent at the next turn.
    void QueueState(std::string payload);
    // Any thread; wakes the link's thread. Returns the library's result code.
    int Publish(const std::string& topic, std::string_view payload, int qos, bool retain);

    std::uint64_t StatesSent() const { return states_sent_.load(std::memory_order_relaxed); }
    std::uint64_t StatesReplaced() const {
        return states_replaced_.load(std::memory_order_relaxed);
    }
    std::size_t StatesInFlight() const { return states_in_flight_.load(std::memory_order_relaxed); }

    // Ends the connection cleanly (what this thread published before goes out first, for at
    // most two seconds; queued samples do not) and joins the thread.
    void Stop();

  private:
    struct QueuedState {
        std::string payload;
        QueuedState* next;  // older
    };

    void Run();
    // Runs one connection until it ends or the stop has been carried out; false when stopping.
    bool RunConnection(LinkEvent& ended);
    // Moves queued samples into the library, as far as it has room.
    void SendStates(bool connected);
    void Published(int mid);
    bool StopRequested();

    const Settings settings_;
    const std::string state_topic_;
    const int loop_timeout_ms_;
    const Sink sink_;
    mosquitto* mosq_ = nullptr;
    std::thread thread_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;

    std::atomic<QueuedState*> queued_{nullptr};  // newest first
    std::atomic<std::uint64_t> states_sent_{0}, states_replaced_{0};
    std::atomic<std::size_t> states_in_flight_{0};

    // The link thread's own.
    bool attempt_connected_ = false;
    int attempt_refused_ = 0;
    std::string last_error_;
    std::deque<std::string> waiting_;  // taken from the queue, not yet in the library
    std::chrono::steady_clock::time_point last_progress_;
    std::unordered_set<int> in_flight_;  // message ids of the samples in the library
};

}  // namespace mqtt
