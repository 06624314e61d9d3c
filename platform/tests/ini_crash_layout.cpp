#include "platform/tests/ini_crash_layout.h"

namespace crash_layout {

namespace {

constexpr int kKeys = 20;
constexpr int kPads = 4;
constexpr std::size_t kPadLength = 2000;

std::string KeyName(int i) {
    return std::string("K") + static_cast<char>('0' + i / 10) + static_cast<char>('0' + i % 10);
}

std::string Pad(int g) {
    return std::string(kPadLength, static_cast<char>('a' + g % 26));
}

}  // namespace

std::vector<platform::IniEntry> BulkEntries(int g) {
    std::vector<platform::IniEntry> entries;
    for (int i = 0; i < kKeys; ++i)
        entries.push_back({kBulkSection, KeyName(i), std::to_string(g)});
    for (int i = 0; i < kPads; ++i)
        entries.push_back({kBulkSection, "P" + std::to_string(i), Pad(g)});
    return entries;
}

std::string Render(int g, int s) {
    std::string text = "; crash test\r\n[Other]\r\nKeep=me\r\n\r\n[Bulk]\r\n";
    for (const auto& entry : BulkEntries(g)) text += entry.key + "=" + entry.value + "\r\n";
    text += "\r\n[Single]\r\nGen=" + std::to_string(s) + "\r\n\r\n[Tail]\r\nEnd=yes\r\n";
    return text;
}

}  // namespace crash_layout
