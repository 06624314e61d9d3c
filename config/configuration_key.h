#pragma once
// One key of the configuration file: its section, name and default, and how a value of its
// type is read and written. A value that does not parse reads as the default.

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"
#include "platform/ini_file.h"

namespace config {

template <class T>
struct Key {
    std::string_view section;
    std::string_view name;
    T fallback;
};

using IntKey = Key<int>;
using BoolKey = Key<bool>;
using StringKey = Key<std::string_view>;
using ColorKey = Key<TColor>;  // 00BBGGRR, written in decimal

int Get(const platform::IniFile& ini, const IntKey& key, int fallback);
int Get(const platform::IniFile& ini, const IntKey& key);
bool Get(const platform::IniFile& ini, const BoolKey& key);
std::string Get(const platform::IniFile& ini, const StringKey& key, std::string_view fallback);
std::string Get(const platform::IniFile& ini, const StringKey& key);
TColor Get(const platform::IniFile& ini, const ColorKey& key);

// The entries of one write, in the order they are added, written as one replacement of the
// file (platform::IniFile::WriteEntries).
class Entries {
  public:
    void Add(const IntKey& key, int value);
    void Add(const BoolKey& key, bool value);
    void Add(const StringKey& key, std::string value);
    void Add(const ColorKey& key, TColor value);
    void WriteTo(platform::IniFile& ini) const { ini.WriteEntries(entries_); }

  private:
    void Put(std::string_view section, std::string_view name, std::string value);
    std::vector<platform::IniEntry> entries_;
};

}  // namespace config
