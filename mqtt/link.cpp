#include "mqtt/link.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "mqtt/discovery.h"
#include "mqtt/reason_text.h"

namespace mqtt {

namespace {

constexpr auto kFlushTime = std::chrono::seconds(2);
// No sample written out for this long: the broker does not keep up.
constexpr auto kStallTime = std::chrono::milliseconds(200);
// Samples that may wait behind those in the library while it gets them out.
constexpr std::size_t kMaxWaiting = 1000;

void Check(int rc, const char* what) {
    if (rc != MOSQ_ERR_SUCCESS)
        throw std::runtime_error(std::string(what) + ": " + mosquitto_strerror(rc));
}

}  // namespace

Link::Link(const Settings& settings, const std::string& client_id, Sink sink)
    : settings_(settings),
      state_topic_(settings.topic + "/state"),
      loop_timeout_ms_(static_cast<int>(settings.publish_interval.count())),
      sink_(std::move(sink)) {
    static const int initialised = mosquitto_lib_init();
    Check(initialised, "mosquitto_lib_init");
    mosq_ = mosquitto_new(client_id.c_str(), true, this);
    if (!mosq_) throw std::runtime_error("mosquitto_new failed");
    try {
        Check(mosquitto_threaded_set(mosq_, true), "mosquitto_threaded_set");
        Check(mosquitto_will_set(mosq_, AvailabilityTopic(settings_).c_str(),
                                 static_cast<int>(std::strlen(kOffline)), kOffline, 1, true),
              "mosquitto_will_set");
        if (!settings_.user.empty())
            Check(mosquitto_username_pw_set(mosq_, settings_.user.c_str(),
                                            settings_.password.c_str()),
                  "mosquitto_username_pw_set");
        if (!settings_.ca_file.empty())
            Check(mosquitto_tls_set(mosq_, settings_.ca_file.c_str(), nullptr, nullptr, nullptr,
                                    nullptr),
                  "mosquitto_tls_set");
    } catch (...) {
        mosquitto_destroy(mosq_);
        throw;
    }
    mosquitto_connect_callback_set(mosq_, [](mosquitto*, void* self, int rc) {
        auto* link = static_cast<Link*>(self);
        if (rc == 0) {
            link->attempt_connected_ = true;
            link->sink_(LinkEvent(LinkEvent::Kind::kConnected));
        } else {
            link->attempt_refused_ = rc;
        }
    });
    mosquitto_publish_callback_set(
        mosq_, [](mosquitto*, void* self, int mid) { static_cast<Link*>(self)->Published(mid); });
    mosquitto_log_callback_set(mosq_, [](mosquitto*, void* self, int level, const char* text) {
        if (level == MOSQ_LOG_ERR) static_cast<Link*>(self)->last_error_ = text;
    });
}

Link::~Link() {
    Stop();
    mosquitto_destroy(mosq_);
    for (QueuedState* q = queued_.load(); q;) delete std::exchange(q, q->next);
}

void Link::Start() {
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
}

void Link::QueueState(std::string payload) {
    auto* q = new QueuedState{std::move(payload), queued_.load(std::memory_order_relaxed)};
    while (!queued_.compare_exchange_weak(q->next, q, std::memory_order_release,
                                          std::memory_order_relaxed)) {
    }
}

int Link::Publish(const std::string& topic, std::string_view payload, int qos, bool retain) {
    return mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                             payload.data(), qos, retain);
}

void Link::SendStates(bool connected) {
    // The list comes newest first: turned round in place, oldest first into waiting_.
    QueuedState* oldest = nullptr;
    for (QueuedState* q = queued_.exchange(nullptr, std::memory_order_acquire); q;) {
        QueuedState* const older = q->next;
        q->next = oldest;
        oldest = q;
        q = older;
    }
    for (; oldest; delete std::exchange(oldest, oldest->next))
        waiting_.push_back(std::move(oldest->payload));
    if (!connected) {
        waiting_.clear();
        return;
    }
    // Nothing outstanding: whatever the time since the last write, the broker is not behind.
    if (in_flight_.empty()) last_progress_ = std::chrono::steady_clock::now();
    while (!waiting_.empty() && in_flight_.size() < kMaxStatesInFlight) {
        int mid = 0;
        const std::string& payload = waiting_.front();
        if (mosquitto_publish(mosq_, &mid, state_topic_.c_str(), static_cast<int>(payload.size()),
                              payload.data(), 0, false) != MOSQ_ERR_SUCCESS)
            break;
        in_flight_.insert(mid);
        waiting_.pop_front();
        states_sent_.fetch_add(1, std::memory_order_relaxed);
    }
    // While the library gets samples out, a burst waits its turn; when it has got none out
    // for a while, the broker does not keep up and only the newest waits.
    const auto now = std::chrono::steady_clock::now();
    if (in_flight_.size() < kMaxStatesInFlight) last_progress_ = now;
    const std::size_t keep = now - last_progress_ > kStallTime ? 1 : kMaxWaiting;
    if (waiting_.size() > keep) {
        states_replaced_.fetch_add(waiting_.size() - keep, std::memory_order_relaxed);
        waiting_.erase(waiting_.begin(), waiting_.end() - static_cast<std::ptrdiff_t>(keep));
    }
    states_in_flight_.store(in_flight_.size(), std::memory_order_relaxed);
}

void Link::Published(int mid) {
    if (in_flight_.erase(mid) == 0) return;
    last_progress_ = std::chrono::steady_clock::now();
    states_in_flight_.store(in_flight_.size(), std::memory_order_relaxed);
}

void Link::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    // Queued after what this thread published (the "offline"), and wakes the loop.
    mosquitto_disconnect(mosq_);
    if (thread_.joinable()) thread_.join();
}

bool Link::StopRequested() {
    std::lock_guard lock(mutex_);
    return stop_;
}

bool Link::RunConnection(LinkEvent& ended) {
    attempt_connected_ = false;
    attempt_refused_ = 0;
    last_error_.clear();
    int rc = mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port,
                                     settings_.keepalive_seconds);
    int error = errno;
    std::chrono::steady_clock::time_point flush_deadline{};
    bool disconnecting = false;
    while (rc == MOSQ_ERR_SUCCESS) {
        if (StopRequested()) {
            if (!attempt_connected_) return false;
            const auto now = std::chrono::steady_clock::now();
            if (!disconnecting) {
                // Once more, for a connection that came up after Stop's.
                mosquitto_disconnect(mosq_);
                disconnecting = true;
                flush_deadline = now + kFlushTime;
            } else if (now > flush_deadline) {
                return false;
            }
        }
        rc = mosquitto_loop(mosq_, loop_timeout_ms_, 1);
        error = errno;
        SendStates(attempt_connected_ && rc == MOSQ_ERR_SUCCESS);
    }
    // What the library had not written out went with the connection.
    in_flight_.clear();
    states_in_flight_.store(0, std::memory_order_relaxed);
    SendStates(false);
    if (disconnecting) return false;
    ended.had_connected = attempt_connected_;
    ended.refused = attempt_refused_;
    if (attempt_refused_ != 0) {
        ended.reason = RefusalText(attempt_refused_);
    } else {
        ended.reason = ReasonText(rc, error);
        if (!last_error_.empty()) ended.reason += " (" + last_error_ + ")";
    }
    return !StopRequested();
}

void Link::Run() {
    auto delay = settings_.reconnect_min;
    for (;;) {
        LinkEvent ended(LinkEvent::Kind::kEnded);
        if (!RunConnection(ended)) break;
        sink_(ended);
        if (ended.had_connected) delay = settings_.reconnect_min;
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, delay, [this] { return stop_; })) break;
        delay = std::min(delay * 2, settings_.reconnect_max);
    }
}

}  // namespace mqtt
