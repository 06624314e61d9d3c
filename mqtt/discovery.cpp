#include "mqtt/discovery.h"

#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>

#include "common/text_parse.h"
#include "mqtt/json_writer.h"

namespace mqtt {

namespace {

struct Reading {
    const char* what;
    const char* name;
    const char* device_class;
    const char* unit;
};

constexpr Reading kReadings[] = {
    {"t1", "T1", "temperature", "°C"},
    {"t2", "T2", "temperature", "°C"},
    {"t3", "T3", "temperature", "°C"},
    {"hm", "HM", "humidity", "%"},
};

// The outputs as the main window's help text names them, bit 0 first.
constexpr const char* kOutputs[8] = {
    "Звуковая сигнализация",
    "Включение вывода НАГРЕВ",
    "Разность между Т1 и Т2",
    "Увлажнение включено",
    "Движение",
    "Реверс",
    "Включение вывода аварийного охлаждения",
    "Включение вывода аварийного реле",
};

struct Flag {
    const char* what;
    const char* field;
    const char* name;
};

constexpr Flag kFlags[] = {
    {"alarm_t1", "t1", "Тревога Т1"},           {"alarm_t2", "t2", "Тревога Т2"},
    {"alarm_hm", "hm", "Тревога по влажности"}, {"no_data", "no_data", "Нет данных от инкубатора"},
    {"port_lost", "port_lost", "Порт потерян"},
};

std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Where a config goes: <prefix>/<component>/<object id>/config, the object id being the
// entity's unique id.
std::string ConfigTopic(const Settings& settings, std::string_view id, std::string_view component,
                        std::string_view what) {
    return settings.discovery_prefix + "/" + std::string(component) + "/" + std::string(id) + "_" +
           std::string(what) + "/config";
}

// Each entity's component and what follows the ids' "_".
template <typename Visit>
void ForEachEntity(const Visit& visit) {
    for (const Reading& r : kReadings) visit("sensor", r.what);
    for (int bit = 0; bit < 8; ++bit) visit("binary_sensor", "out" + std::to_string(bit + 1));
    for (const Flag& f : kFlags) visit("binary_sensor", f.what);
}

class Builder {
  public:
    Builder(const Settings& settings, const DeviceInfo& device) : settings_(settings) {
        id_ = settings.name;
        if (!device.machine_tag.empty()) id_ += "_" + device.machine_tag;
        std::string identifiers = "[";
        AppendJsonString(identifiers, id_);
        identifiers += "]";
        device_ = JsonObject()
                      .Raw("identifiers", identifiers)
                      .String("name", settings.display_name)
                      .String("model", device.model)
                      .String("sw_version", device.sw_version)
                      .Text();
    }

    // The fields every entity has.
    JsonObject Entity(std::string_view what, std::string_view name, std::string_view topic,
                      std::string_view value_template) const {
        JsonObject json;
        json.String("name", name)
            .String("unique_id", id_ + "_" + std::string(what))
            .String("state_topic", settings_.topic + "/" + std::string(topic))
            .String("value_template", value_template)
            .String("availability_topic", AvailabilityTopic(settings_))
            .String("payload_available", kOnline)
            .String("payload_not_available", kOffline)
            .Raw("device", device_);
        return json;
    }

    void Add(std::string_view component, std::string_view what, const JsonObject& json) {
        messages.push_back({ConfigTopic(settings_, id_, component, what), json.Text()});
    }

    std::vector<Message> messages;

  private:
    const Settings& settings_;
    std::string id_;
    std::string device_;
};

}  // namespace

std::string AvailabilityTopic(const Settings& settings) {
    return settings.topic + "/availability";
}

std::string MachineTag(const std::string& machine_id_file) {
    std::ifstream in(machine_id_file, std::ios::binary);
    std::string id((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    id = std::string(text::Trim(id));
    if (id.empty()) {
        char host[256] = {};
        if (::gethostname(host, sizeof host - 1) == 0) id = host;
    }
    if (id.empty()) return "";
    static constexpr char kHex[] = "0123456789abcdef";
    const std::uint64_t hash = Fnv1a(id);
    std::string tag;
    for (int shift = 28; shift >= 0; shift -= 4) tag.push_back(kHex[(hash >> shift) & 0xF]);
    return tag;
}

std::vector<Message> DiscoveryMessages(const Settings& settings, const DeviceInfo& device) {
    Builder b(settings, device);
    for (const Reading& r : kReadings) {
        JsonObject json =
            b.Entity(r.what, r.name, "state", "{{ value_json." + std::string(r.what) + " }}");
        json.String("device_class", r.device_class)
            .String("unit_of_measurement", r.unit)
            .String("state_class", "measurement")
            .Integer("expire_after", settings.expire_after_seconds);
        b.Add("sensor", r.what, json);
    }
    for (int bit = 0; bit < 8; ++bit) {
        const std::string what = "out" + std::to_string(bit + 1);
        const std::string value_template = "{{ 'ON' if value_json.outputs | bitwise_and(" +
                                           std::to_string(1 << bit) + ") else 'OFF' }}";
        JsonObject json = b.Entity(what, kOutputs[bit], "state", value_template);
        json.Integer("expire_after", settings.expire_after_seconds);
        b.Add("binary_sensor", what, json);
    }
    for (const Flag& f : kFlags) {
        const std::string value_template =
            "{{ 'ON' if value_json." + std::string(f.field) + " else 'OFF' }}";
        JsonObject json = b.Entity(f.what, f.name, "alarm", value_template);
        json.String("device_class", "problem");
        b.Add("binary_sensor", f.what, json);
    }
    return std::move(b.messages);
}

std::vector<Message> LegacyRemovals(const Settings& settings, const DeviceInfo& device) {
    std::vector<Message> out;
    if (!device.machine_tag.empty())
        ForEachEntity([&](std::string_view component, std::string_view what) {
            out.push_back({ConfigTopic(settings, settings.name, component, what), ""});
        });
    if (!settings.legacy_topic.empty())
        for (const char* what : {"/alarm", "/availability"})
            out.push_back({settings.legacy_topic + what, ""});
    return out;
}

}  // namespace mqtt
