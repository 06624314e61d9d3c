#include "platform/ini_file.h"

#include <cerrno>
#include <charconv>
#include <cstdint>

#include "common/text_format.h"
#include "common/text_parse.h"
#include "platform/atomic_file.h"
#include "platform/ini_document.h"

namespace platform {

namespace {

// At most `limit` bytes, never ending inside a UTF-8 character: the cut backs off over the
// continuation bytes of a character that would not fit whole.
std::string_view CutUtf8(std::string_view s, std::size_t limit) {
    if (s.size() <= limit) return s;
    std::size_t cut = limit;
    for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80;
         ++back)
        --cut;
    return s.substr(0, cut);
}

IniDocument LoadForReading(const std::string& path) {
    // Whatever cannot be read reads as an empty file.
    const FileBytes file = ReadWholeFile(path, IniFile::kMaxFileBytes);
    return IniDocument::Parse(file.error == 0 ? file.bytes : std::string());
}

IniDocument LoadForWriting(const std::string& path) {
    FileBytes file = ReadWholeFile(path, IniFile::kMaxFileBytes);
    if (file.error != 0 && file.error != ENOENT) throw IniWriteError(path, file.error);
    return IniDocument::Parse(file.bytes);
}

void Store(const std::string& path, const IniDocument& doc) {
    if (const int err = ReplaceFileContent(path, doc.Text())) throw IniWriteError(path, err);
}

}  // namespace

std::optional<int> ParseIniInteger(std::string_view text) {
    text = text::Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t value = 0;
        const char* first = text.data() + 2;
        const char* last = text.data() + text.size();
        const auto [end, ec] = std::from_chars(first, last, value, 16);
        if (ec != std::errc() || end != last) return std::nullopt;
        return static_cast<int>(value);
    }
    return text::ParseInt(text);
}

IniWriteError::IniWriteError(const std::string& path, int system_error)
    : std::runtime_error("Unable to write to " + path), system_error_(system_error) {}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    const IniDocument doc = LoadForReading(path_);
    const auto value = doc.Find(section, key);
    if (!value) return std::nullopt;
    return std::string(CutUtf8(*value, kMaxValueLength));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    auto value = Read(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
    const auto value = Read(section, key);
    if (!value) return fallback;
    return ParseIniInteger(*value).value_or(fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    const auto value = Read(section, key);
    if (!value) return fallback;
    const auto number = ParseIniInteger(*value);
    return number ? *number != 0 : fallback;
}

std::vector<std::string> IniFile::ReadSectionKeys(std::string_view section) const {
    return LoadForReading(path_).SectionKeys(section);
}

bool IniFile::SectionExists(std::string_view section) const {
    return LoadForReading(path_).HasSection(section);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    WriteEntries({{std::string(section), std::string(key), std::string(value)}});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, text::FormatInt(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::WriteEntries(const std::vector<IniEntry>& entries) {
    if (entries.empty()) return;
    IniDocument doc = LoadForWriting(path_);
    for (const IniEntry& entry : entries) doc.Set(entry.section, entry.key, entry.value);
    Store(path_, doc);
}

void IniFile::EraseSection(std::string_view section) {
    IniDocument doc = LoadForWriting(path_);
    if (doc.EraseSection(section)) Store(path_, doc);
}

}  // namespace platform
