#pragma once
// Home Assistant's MQTT discovery: the retained config messages that make the incubator
// appear as a device with its sensors.

#include <string>
#include <vector>

#include "mqtt/settings.h"

namespace mqtt {

struct DeviceInfo {
    std::string model = "Incubator controller";
    std::string sw_version;
    // Something of this machine's, so that two boards that give their incubators the same
    // name still make different devices and entities (see MachineTag).
    std::string machine_tag;
};

// A short hash of the machine's id file (/etc/machine-id; the host name when it cannot be
// read). The id itself is never published.
std::string MachineTag(const std::string& machine_id_file = "/etc/machine-id");

// Where the publisher says whether it is there, as the configs below name it: retained
// kOnline after each connect, kOffline at a clean stop and as the connection's will.
std::string AvailabilityTopic(const Settings& settings);
inline constexpr char kOnline[] = "online";
inline constexpr char kOffline[] = "offline";

struct Message {
    std::string topic;
    std::string payload;
};

// The config messages, whose object ids are the unique ids <name>_<machine tag>_<what>: sensors
// T1, T2, T3 and HM under <prefix>/sensor/<id>_<t1..hm>/config; binary sensors for the eight
// outputs (<id>_out1..8) and the five alarm flags (<id>_alarm_t1, _alarm_t2, _alarm_hm,
// _no_data, _port_lost) under <prefix>/binary_sensor/.../config.
std::vector<Message> DiscoveryMessages(const Settings& settings, const DeviceInfo& device);

// Empty retained messages for what earlier versions left retained: the configs under object
// ids without the machine tag (Home Assistant takes no second config for a unique id while the
// first is there) and the alarm and availability under Settings::legacy_topic.
std::vector<Message> LegacyRemovals(const Settings& settings, const DeviceInfo& device);

}  // namespace mqtt
