#include "mqtt/settings.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "common/id_name.h"
#include "common/system_error_text.h"
#include "common/text_parse.h"
#include "platform/ini_file.h"
#include "platform/posix/unique_fd.h"

namespace mqtt {

namespace {

constexpr char kSection[] = "MQTT";

std::string SystemMessage(int error) {
    return text::SystemErrorText(error);
}

std::string Quoted(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

// The first line of a small file, without its line end; 0 or an errno.
int ReadFirstLine(const std::string& path, std::string& line) {
    const platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return errno;
    char buffer[4096];
    const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
    if (n < 0) return errno;
    line.assign(buffer, static_cast<std::size_t>(n));
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return 0;
}

// A topic one may publish under: no wildcards, no NUL.
bool TopicUsable(std::string_view topic) {
    return topic.find_first_of(std::string_view("+#\0", 3)) == topic.npos;
}

// "/a", "a//b" and "/" are valid MQTT, but a level without a name is always a slip.
bool HasEmptyLevel(std::string_view topic) {
    return topic.starts_with('/') || topic.ends_with('/') || topic.find("//") != topic.npos;
}

std::string StripTrailingSlashes(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

}  // namespace

Settings ReadSettings(const platform::IniFile& ini, const WarningSink& warn,
                      std::string_view machine_tag) {
    Settings s;
    const std::filesystem::path folder = std::filesystem::path(ini.Path()).parent_path();
    const auto read = [&](std::string_view key) {
        return std::string(text::Trim(ini.ReadString(kSection, key, "")));
    };
    const auto in_folder = [&](const std::string& file) {
        return std::filesystem::path(file).is_absolute() ? file : (folder / file).string();
    };

    s.host = read("Host");
    if (const std::string port = read("Port"); !port.empty()) {
        const auto value = platform::ParseIniInteger(port);
        if (value && *value > 0 && *value < 65536)
            s.port = *value;
        else
            warn(MqttWarning("Неверный порт MQTT " + Quoted(port) + ". Используется 1883."));
    }
    s.user = read("User");

    s.display_name = read("Name");
    if (s.display_name.empty()) s.display_name = std::filesystem::path(ini.Path()).stem().string();
    s.name = text::IdName(s.display_name);

    const auto read_topic = [&](std::string_view key, std::string fallback) {
        const std::string written = read(key);
        std::string topic = StripTrailingSlashes(written);
        if (topic.empty()) return fallback;
        const char* fault = !TopicUsable(topic) ? "в ней не может быть \"+\" и \"#\""
                            : HasEmptyLevel(topic) ? "в ней не может быть пустых уровней"
                                                   : nullptr;
        if (!fault) return topic;
        warn(MqttWarning("Неверная тема MQTT " + Quoted(written) + ": " + fault +
                         ". Используется " + Quoted(fallback) + "."));
        return fallback;
    };
    // The machine in the topic too: two computers that give their incubators the same name
    // publish apart.
    const std::string legacy_topic = "incubator/" + s.name;
    const std::string default_topic =
        machine_tag.empty() ? legacy_topic : legacy_topic + "_" + std::string(machine_tag);
    s.topic = read_topic("Topic", default_topic);
    if (s.topic == default_topic && default_topic != legacy_topic) s.legacy_topic = legacy_topic;
    s.discovery_prefix = read_topic("DiscoveryPrefix", "homeassistant");

    if (s.host.empty()) return s;
    s.enabled = true;
    if (const std::string file = read("PasswordFile"); !file.empty()) {
        if (const int error = ReadFirstLine(in_folder(file), s.password)) {
            warn(MqttWarning("Не удалось прочитать файл пароля MQTT " + Quoted(file) + ": " +
                             SystemMessage(error) + ". Публикация MQTT выключена."));
            s.enabled = false;
        } else if (s.password.empty()) {
            // A file that was to hold the password and holds none: not an anonymous login.
            warn(MqttWarning("Файл пароля MQTT " + Quoted(file) +
                             " пуст. Публикация MQTT выключена."));
            s.enabled = false;
        } else if (s.user.empty()) {
            warn(MqttWarning("Пароль MQTT задан без имени пользователя (User) и не используется."));
            s.password.clear();
        }
    }
    if (const std::string file = read("CAFile"); !file.empty()) {
        s.ca_file = in_folder(file);
        std::string first_line;  // a file that opens but cannot be read is no use either
        if (const int error = ReadFirstLine(s.ca_file, first_line)) {
            warn(MqttWarning("Не удалось прочитать файл сертификатов MQTT " + Quoted(file) + ": " +
                             SystemMessage(error) + ". Публикация MQTT выключена."));
            s.enabled = false;
        }
    }
    return s;
}

}  // namespace mqtt
