#include "config/configuration_key.h"

#include "common/text_format.h"

namespace config {

using platform::IniFile;

int Get(const IniFile& ini, const IntKey& key, int fallback) {
    return ini.ReadInteger(key.section, key.name, fallback);
}
int Get(const IniFile& ini, const IntKey& key) {
    return Get(ini, key, key.fallback);
}
bool Get(const IniFile& ini, const BoolKey& key) {
    return ini.ReadBool(key.section, key.name, key.fallback);
}
std::string Get(const IniFile& ini, const StringKey& key, std::string_view fallback) {
    return ini.ReadString(key.section, key.name, fallback);
}
std::string Get(const IniFile& ini, const StringKey& key) {
    return Get(ini, key, key.fallback);
}
TColor Get(const IniFile& ini, const ColorKey& key) {
    return static_cast<TColor>(
        ini.ReadInteger(key.section, key.name, static_cast<int>(key.fallback)));
}

void Entries::Add(const IntKey& key, int value) {
    Put(key.section, key.name, text::FormatInt(value));
}
void Entries::Add(const BoolKey& key, bool value) {
    Put(key.section, key.name, value ? "1" : "0");
}
void Entries::Add(const StringKey& key, std::string value) {
    Put(key.section, key.name, std::move(value));
}
void Entries::Add(const ColorKey& key, TColor value) {
    Put(key.section, key.name, text::FormatInt(static_cast<int>(value)));
}

void Entries::Put(std::string_view section, std::string_view name, std::string value) {
    entries_.push_back({std::string(section), std::string(name), std::move(value)});
}

}  // namespace config
