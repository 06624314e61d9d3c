#pragma once
// The [MQTT] section of the configuration file.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "common/warning.h"

namespace platform {
class IniFile;
}

namespace mqtt {

// Where warnings go: the window's balloons, or the service's standard error.
using WarningSink = ::WarningSink;
inline constexpr char kWarningTitle[] = "MQTT";

// How long it stays up is each program's choice.
inline Warning MqttWarning(std::string text) {
    return {Severity::kWarning, kWarningTitle, std::move(text), 0};
}

struct Settings {
    bool enabled = false;  // Host is set, and the password and CA files named could be read
    std::string host;
    int port = 1883;
    std::string user;
    std::string password;      // read from PasswordFile; never written anywhere
    std::string ca_file;       // TLS when not empty
    std::string display_name;  // Name as written: the device's name in Home Assistant
    std::string name;          // Name in [a-zA-Z0-9_-] only: discovery ids and the topic
    std::string topic;         // without a trailing "/"
    // The default topic of earlier versions, without the machine tag: what they left retained
    // there is cleared. Empty when Topic is set or there is no tag.
    std::string legacy_topic;
    std::string discovery_prefix;

    // Not in the file.
    int keepalive_seconds = 30;
    int expire_after_seconds = 60;  // readings older than this show as unavailable
    // From the start of an attempt to the broker's answer to the login.
    std::chrono::milliseconds connect_timeout{10000};
    std::chrono::milliseconds reconnect_min{1000};
    std::chrono::milliseconds reconnect_max{60000};
    // Runs the wait between two attempts: waits `delay` unless `stop_fd` becomes readable,
    // and says whether it did. None: real time (tests run the back-off on a clock of theirs).
    std::function<bool(std::chrono::milliseconds delay, int stop_fd)> wait_between_attempts;
};

// Reads [MQTT]: Host (empty: off), Port (1883), User, PasswordFile, CAFile, Name (the
// configuration file's base name), Topic ("incubator/<Name>_<machine_tag>", or without the tag
// when there is none), DiscoveryPrefix ("homeassistant"). Relative file names are taken from
// the configuration file's folder. A bad value gets a warning and its default. A password file
// that cannot be read or is empty, or a CA file that cannot be read, turns publishing off with
// a warning, rather than logging in without the password or talking in the clear.
Settings ReadSettings(const platform::IniFile& ini, const WarningSink& warn,
                      std::string_view machine_tag = {});

}  // namespace mqtt
