#pragma once
// Publishes an incubator's samples, alarm flags and availability to an MQTT broker, with
// Home Assistant discovery:
//   <Topic>/state         every sample (QoS 0)
//   <Topic>/alarm         retained, when a flag changes and at every connect
//   <Topic>/availability  retained: "online" after connecting, "offline" at Stop and as the will
//   discovery configs     retained, at every connect
// The connection lives on a network thread of its own (see Link) and is retried in the
// background with a growing wait. A lost connection is one warning once an attempt to make it
// again has failed (a loss that the first attempt makes good is not news), its return another;
// a refused login is one, and so is a client id that another connection takes over (which is
// not fought over: the next attempt waits the longest back-off). Everything here is called on the
// owner's thread (the program's one logic thread) and never waits for the network. The network
// thread's reports reach the owner by UiThread::post, and the owner alone decides what to
// send: samples go through a StateQueue, so a broker that does not keep up costs bounded
// memory and gets the newest samples.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mqtt/discovery.h"
#include "mqtt/payloads.h"
#include "mqtt/settings.h"
#include "mqtt/state_queue.h"

class UiThread;

namespace mqtt {

class Link;
struct LinkEvent;

class Publisher {
  public:
    struct Counters {
        std::uint64_t states_sent = 0;      // handed to the library
        std::uint64_t states_replaced = 0;  // pushed out by newer ones while the broker lagged
        std::uint64_t states_unsent = 0;    // came while not connected
        std::uint64_t connections = 0;      // logins accepted
        std::uint64_t attempts_ended = 0;   // failed attempts and lost connections
        std::uint64_t connect_attempts = 0;
        std::size_t states_in_flight = 0;  // in the library, not yet written out
    };
    // Samples in the library at once, and waiting behind them.
    static constexpr std::size_t kMaxStatesInFlight = 16;
    static constexpr std::size_t kMaxStatesWaiting = 100;

    // `owner` and `warn` outlive the publisher. Nothing happens before Start(), nor at all
    // when the settings are not enabled.
    Publisher(Settings settings, DeviceInfo device, UiThread& owner, WarningSink warn);
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;
    ~Publisher();  // Stop()

    void Start();
    void PublishSample(const Sample& sample);
    // Publishes when any flag differs from the last state given.
    void PublishAlarms(const AlarmState& alarms);
    // Publishes "offline", disconnects and joins the network thread: the alarm and availability
    // messages published before go out first (for at most two seconds), samples still waiting
    // in the queue do not. Final: a stopped publisher stays stopped.
    void Stop();

    bool Connected() const { return connected_; }
    // Takes the network thread's reports of written states first.
    Counters counters() const;

  private:
    enum class Trouble { kNone, kUnreachable, kRefused, kTakenOver };

    void Handle(const LinkEvent& event);
    void OnConnected();
    void OnEnded(const LinkEvent& event);
    void SendStates();
    // Frees the places of the states the network thread has written.
    void TakeWritten() const;
    void SendRetained(const std::string& topic, const std::string& payload);
    void Warn(const std::string& text) const;
    std::string Where() const;

    const Settings settings_;
    const DeviceInfo device_;
    UiThread& owner_;
    const WarningSink warn_;
    const std::string client_id_, state_topic_, alarm_topic_, availability_topic_;

    std::unique_ptr<Link> link_;
    bool stopped_ = false;
    bool connected_ = false;
    bool ever_connected_ = false;
    bool clash_told_ = false;                 // the take-over warning is given once
    std::optional<std::string> lost_reason_;  // a connection lost, not yet said
    Trouble trouble_ = Trouble::kNone;
    AlarmState alarms_;
    // Mutable: a look at the counters takes the written states out of the link first.
    mutable StateQueue states_{kMaxStatesInFlight, kMaxStatesWaiting};
    mutable std::vector<int> written_;
    Counters counters_;
    // Posted reports check it, so that none reaches a destroyed publisher.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace mqtt
