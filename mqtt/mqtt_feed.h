#pragma once
// What a program adds to its engine to publish over MQTT: reads [MQTT] from the configuration
// file and, when it names a broker, runs a publisher that follows the engine. The window
// program and the service make one each, after their engine, and end it before the engine.

#include <memory>
#include <string>

#include "engine/engine_subscription.h"
#include "mqtt/settings.h"

class MonitorEngine;
class UiThread;

namespace mqtt {

class EngineBridge;
class Publisher;

class MqttFeed {
  public:
    // `engine`, `owner` (the thread the engine runs on) and whatever `warn` reaches outlive the
    // feed. `version`: the program's, shown in the device's details. Nothing is started when
    // the configuration names no broker (or its password or CA file cannot be read).
    MqttFeed(const std::string& config_path, MonitorEngine& engine, UiThread& owner,
             WarningSink warn, std::string version);
    MqttFeed(const MqttFeed&) = delete;
    MqttFeed& operator=(const MqttFeed&) = delete;
    ~MqttFeed();  // Stop()

    // Stops following the engine: what it does from now on is not published. What was
    // published before still goes out at Stop.
    void StopFollowing();
    // Stops following the engine and says "offline" (waiting a moment for it to go out).
    // Final.
    void Stop();

    bool Enabled() const { return publisher_ != nullptr; }
    // The running publisher (its counters); none when not enabled.
    const Publisher* publisher() const { return publisher_.get(); }

  private:
    MonitorEngine& engine_;
    std::unique_ptr<Publisher> publisher_;
    std::unique_ptr<EngineBridge> bridge_;  // destroyed first: it refers to the publisher
    EngineSubscription following_;          // ends before the bridge
};

}  // namespace mqtt
