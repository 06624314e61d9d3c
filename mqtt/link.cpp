#include "mqtt/link.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "mqtt/discovery.h"
#include "mqtt/reason_text.h"
#include "platform/posix/thread_name.h"

namespace mqtt {

namespace {

constexpr auto kFlushTime = std::chrono::seconds(2);

void Check(int rc, const char* what) {
    if (rc != MOSQ_ERR_SUCCESS)
        throw std::runtime_error(std::string(what) + ": " + ReasonText(rc, errno));
}

// Milliseconds until `deadline`, rounded up, at least 0 and at most `most`.
int MillisecondsUntil(std::chrono::steady_clock::time_point deadline, int most) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, most));
}

}  // namespace

Link::Link(const Settings& settings, const std::string& client_id, Sink sink)
    : settings_(settings),
      sink_(std::move(sink)),
      stop_fd_(::eventfd(0, EFD_CLOEXEC)),
      wake_fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    static const int initialised = mosquitto_lib_init();
    Check(initialised, "библиотека MQTT не запустилась");
    if (!stop_fd_.Valid() || !wake_fd_.Valid()) Check(MOSQ_ERR_ERRNO, "не создан сигнал остановки");
    mosq_ = mosquitto_new(client_id.c_str(), true, this);
    if (!mosq_) Check(MOSQ_ERR_ERRNO, "библиотека MQTT не создала клиента");
    try {
        Check(mosquitto_threaded_set(mosq_, true), "библиотека MQTT не приняла поток");
        // MQTT 5 tells a connection why the broker ends it: a client id taken over, above all.
        Check(mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5),
              "библиотека MQTT не приняла версию протокола");
        Check(mosquitto_will_set(mosq_, AvailabilityTopic(settings_).c_str(),
                                 static_cast<int>(std::strlen(kOffline)), kOffline, 1, true),
              "библиотека MQTT не приняла тему доступности");
        if (!settings_.user.empty())
            Check(mosquitto_username_pw_set(mosq_, settings_.user.c_str(),
                                            settings_.password.c_str()),
                  "библиотека MQTT не приняла имя пользователя");
        if (!settings_.ca_file.empty())
            Check(mosquitto_tls_set(mosq_, settings_.ca_file.c_str(), nullptr, nullptr, nullptr,
                                    nullptr),
                  "библиотека MQTT не приняла файл сертификатов");
    } catch (...) {
        mosquitto_destroy(mosq_);
        throw;
    }
    mosquitto_connect_v5_callback_set(
        mosq_, [](mosquitto*, void* self, int rc, int, const mosquitto_property*) {
            auto* link = static_cast<Link*>(self);
            if (rc == 0) {
                link->attempt_connected_ = true;
                link->connected_at_ = Clock::now();
                link->sink_(LinkEvent(LinkEvent::Kind::kConnected));
            } else {
                link->attempt_refused_ = rc;
            }
        });
    mosquitto_disconnect_v5_callback_set(
        mosq_, [](mosquitto*, void* self, int rc, const mosquitto_property*) {
            // The library's own error codes are below the reason codes a broker sends.
            if (rc >= 0x80) static_cast<Link*>(self)->server_reason_ = rc;
        });
    mosquitto_publish_v5_callback_set(
        mosq_, [](mosquitto*, void* self, int mid, int, const mosquitto_property*) {
            static_cast<Link*>(self)->Written(mid);
        });
    mosquitto_log_callback_set(mosq_, [](mosquitto*, void* self, int level, const char* text) {
        if (level == MOSQ_LOG_ERR) static_cast<Link*>(self)->last_error_ = text;
    });
}

Link::~Link() {
    Stop();
    mosquitto_destroy(mosq_);
}

void Link::Start() {
    if (!thread_.joinable() && !stop_) thread_ = std::thread([this] { Run(); });
}

int Link::Publish(const std::string& topic, std::string_view payload, int qos, bool retain,
                  int* mid) {
    const int rc = mosquitto_publish(mosq_, mid, topic.c_str(), static_cast<int>(payload.size()),
                                     payload.data(), qos, retain);
    if (rc == MOSQ_ERR_SUCCESS && (qos > 0 || !wake_pending_.exchange(true))) Wake();
    return rc;
}

void Link::Wake() {
    const std::uint64_t one = 1;
    // Only fails when the counter would overflow, and then it is readable anyway.
    [[maybe_unused]] const ssize_t n = ::write(wake_fd_.Get(), &one, sizeof one);
}

void Link::Written(int mid) {
    bool report = false;
    {
        std::lock_guard lock(written_mutex_);
        written_.push_back(mid);
        report = std::exchange(report_written_, false);
    }
    if (report) sink_(LinkEvent(LinkEvent::Kind::kWritten));
}

void Link::TakeWritten(std::vector<int>& mids) {
    mids.clear();
    std::lock_guard lock(written_mutex_);
    written_.swap(mids);
}

bool Link::ReportNextWritten() {
    std::lock_guard lock(written_mutex_);
    if (!written_.empty()) return false;
    report_written_ = true;
    return true;
}

void Link::Stop() {
    if (!stop_.exchange(true)) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(stop_fd_.Get(), &one, sizeof one);
        // Queued after what was published before (the "offline").
        mosquitto_disconnect(mosq_);
        Wake();
    }
    if (thread_.joinable()) thread_.join();
}

int Link::Turn(int timeout_ms) {
    const int fd = mosquitto_socket(mosq_);
    if (fd < 0) return MOSQ_ERR_NO_CONN;
    const short out = mosquitto_want_write(mosq_) ? POLLOUT : 0;
    pollfd fds[2] = {{fd, static_cast<short>(POLLIN | out), 0}, {wake_fd_.Get(), POLLIN, 0}};
    if (::poll(fds, 2, timeout_ms) < 0) return errno == EINTR ? MOSQ_ERR_SUCCESS : MOSQ_ERR_ERRNO;
    if (fds[1].revents & POLLIN) {
        std::uint64_t wakes = 0;
        [[maybe_unused]] const ssize_t n = ::read(wake_fd_.Get(), &wakes, sizeof wakes);
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
        const int rc = mosquitto_loop_read(mosq_, 1);
        if (rc != MOSQ_ERR_SUCCESS || mosquitto_socket(mosq_) < 0) return rc;
    }
    if (const int rc = mosquitto_loop_misc(mosq_); rc != MOSQ_ERR_SUCCESS) return rc;
    // Samples published from here on are not in this turn's write: they wake the next one.
    wake_pending_.store(false);
    if (!mosquitto_want_write(mosq_)) return MOSQ_ERR_SUCCESS;
    // The library writes a message at a time: corked, the turn's messages leave in one
    // segment, and the broker is woken once for them.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
    errno = 0;  // the library's write stops early on a stale EAGAIN
    const int rc = mosquitto_loop_write(mosq_, 1);
    const int error = errno;
    on = 0;
    if (mosquitto_socket(mosq_) == fd) ::setsockopt(fd, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
    errno = error;
    return rc;
}

bool Link::Sleep(std::chrono::milliseconds delay) {
    if (settings_.wait_between_attempts)
        return settings_.wait_between_attempts(delay, stop_fd_.Get()) || stop_;
    const auto until = Clock::now() + delay;
    pollfd stop{stop_fd_.Get(), POLLIN, 0};
    while (!stop_ && Clock::now() < until)
        ::poll(&stop, 1, MillisecondsUntil(until, static_cast<int>(delay.count()) + 1));
    return stop_;
}

Link::Tcp Link::AwaitTcpConnect(Clock::time_point deadline, int& error) {
    const int fd = mosquitto_socket(mosq_);
    if (fd < 0) {
        error = ENOTCONN;
        return Tcp::kFailed;
    }
    pollfd fds[2] = {{fd, POLLOUT, 0}, {stop_fd_.Get(), POLLIN, 0}};
    for (;;) {
        if (stop_) return Tcp::kStopped;
        if (Clock::now() >= deadline) {
            error = ETIMEDOUT;
            return Tcp::kFailed;
        }
        const int n = ::poll(fds, 2, MillisecondsUntil(deadline, 60000));
        if (n < 0 && errno != EINTR) {
            error = errno;
            return Tcp::kFailed;
        }
        if (n > 0 && fds[0].revents != 0) break;
    }
    int so_error = 0;
    socklen_t length = sizeof so_error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &so_error, &length) == 0 && so_error != 0) {
        error = so_error;
        return Tcp::kFailed;
    }
    sockaddr_storage peer{};
    length = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0) return Tcp::kConnected;
    // The library's TLS step tried the socket first and took the error: its errno is the cause.
    if (error == 0 || error == EINPROGRESS || error == EAGAIN) error = ENOTCONN;
    return Tcp::kFailed;
}

bool Link::RunConnection(LinkEvent& ended) {
    attempts_.fetch_add(1, std::memory_order_relaxed);
    attempt_connected_ = false;
    attempt_refused_ = 0;
    server_reason_ = 0;
    last_error_.clear();
    const auto deadline = Clock::now() + settings_.connect_timeout;
    errno = 0;
    int rc = connect_called_ ? mosquitto_reconnect_async(mosq_)
                             : mosquitto_connect_async(mosq_, settings_.host.c_str(),
                                                       settings_.port, settings_.keepalive_seconds);
    int error = errno;
    connect_called_ = true;
    if (rc == MOSQ_ERR_SUCCESS) {
        switch (AwaitTcpConnect(deadline, error)) {
            case Tcp::kStopped:
                return false;
            case Tcp::kFailed:
                rc = MOSQ_ERR_ERRNO;
                break;
            case Tcp::kConnected:
                break;
        }
    }
    Clock::time_point flush_deadline{};
    bool disconnecting = false;
    while (rc == MOSQ_ERR_SUCCESS) {
        const auto now = Clock::now();
        if (stop_) {
            if (!attempt_connected_) return false;
            if (!disconnecting) {
                // Once more, for a connection that came up after Stop's.
                mosquitto_disconnect(mosq_);
                disconnecting = true;
                flush_deadline = now + kFlushTime;
            } else if (now > flush_deadline) {
                return false;
            }
        } else if (!attempt_connected_ && now >= deadline) {
            // Connected, but no login answer (or TLS handshake) in time.
            rc = MOSQ_ERR_ERRNO;
            error = ETIMEDOUT;
            break;
        }
        const int timeout = attempt_connected_
                                ? kLoopTimeoutMs
                                : std::max(1, MillisecondsUntil(deadline, kLoopTimeoutMs));
        // Until the login is answered the library's own loop runs the connect (and TLS's
        // handshake, which only it can go on with).
        rc = attempt_connected_ ? Turn(timeout) : mosquitto_loop(mosq_, timeout, 1);
        error = errno;
    }
    if (disconnecting) return false;
    // A TLS peer that closes without saying goodbye (a broker stopped, a client id taken over)
    // is an OpenSSL error to the library, with OpenSSL's "unexpected eof" or no words at all
    // (a reset); to us it is a closed connection, as over plain TCP.
    if (attempt_connected_ && rc == MOSQ_ERR_ERRNO && error == EPROTO &&
        (last_error_.empty() || last_error_.find("unexpected eof") != std::string::npos)) {
        rc = MOSQ_ERR_CONN_LOST;
        last_error_.clear();
    }
    ended.had_connected = attempt_connected_;
    ended.refused = attempt_refused_;
    // Brokers that do not say "session taken over" just close the connection of the client
    // whose id a new one takes. Two connections in a row that the broker closed soon after
    // letting them in, with no failed attempt between (the broker was up all along), are that.
    const bool closed_soon = attempt_connected_ &&
                             (rc == MOSQ_ERR_CONN_LOST || server_reason_ != 0) &&
                             Clock::now() - connected_at_ < 2 * settings_.reconnect_max;
    short_connections_ = closed_soon ? short_connections_ + 1 : 0;
    ended.taken_over = server_reason_ == MQTT_RC_SESSION_TAKEN_OVER || short_connections_ >= 2;
    if (attempt_refused_ != 0) {
        ended.reason = RefusalText(attempt_refused_);
    } else if (server_reason_ != 0) {
        ended.reason = DisconnectText(server_reason_);
    } else {
        ended.reason = ReasonText(rc, error);
        // OpenSSL's words are kept beside ours: the one cause met in practice is named.
        if (last_error_.find("certificate verify failed") != std::string::npos)
            ended.reason = "сертификат брокера не прошёл проверку";
        if (!last_error_.empty()) ended.reason += " (" + last_error_ + ")";
    }
    return !stop_;
}

void Link::Run() {
    platform::NameThisThread("mqtt-network");
    auto delay = settings_.reconnect_min;
    for (;;) {
        LinkEvent ended(LinkEvent::Kind::kEnded);
        if (!RunConnection(ended)) break;
        sink_(ended);
        // Whoever took the client id over keeps it for a while: no tug of war over it.
        if (ended.taken_over)
            delay = settings_.reconnect_max;
        else if (ended.had_connected)
            delay = settings_.reconnect_min;
        if (Sleep(delay)) break;
        delay = std::min(delay * 2, settings_.reconnect_max);
    }
}

}  // namespace mqtt
