#include "mqtt/mqtt_feed.h"

#include <utility>

#include "engine/monitor_engine.h"
#include "mqtt/discovery.h"
#include "mqtt/engine_bridge.h"
#include "mqtt/publisher.h"
#include "platform/ini_file.h"

namespace mqtt {

MqttFeed::MqttFeed(const std::string& config_path, MonitorEngine& engine, UiThread& owner,
                   WarningSink warn, std::string version)
    : engine_(engine) {
    DeviceInfo device;
    device.machine_tag = MachineTag();
    Settings settings = ReadSettings(platform::IniFile(config_path), warn, device.machine_tag);
    if (!settings.enabled) return;
    device.sw_version = std::move(version);
    publisher_ =
        std::make_unique<Publisher>(std::move(settings), std::move(device), owner, std::move(warn));
    bridge_ = std::make_unique<EngineBridge>(*publisher_);
    // Alarms raised before the feed began (a port missing at start) are retained at the connect.
    bridge_->Begin(engine_.Alarming());
    following_ = engine_.AddListener(*bridge_);
    publisher_->Start();
}

MqttFeed::~MqttFeed() {
    Stop();
}

void MqttFeed::StopFollowing() {
    following_.Reset();
}

void MqttFeed::Stop() {
    StopFollowing();
    if (publisher_) publisher_->Stop();
}

}  // namespace mqtt
