#pragma once
// A sectioned key=value text file (an INI file): "[Section]" headers, "key=value" lines.
// Section and key names match without letter case. Nothing is cached: every read opens,
// reads and releases the file, and every write replaces the file at once through a uniquely
// named temporary file in the same folder (created with O_EXCL, written, flushed, fsynced,
// renamed over the old one, the folder fsynced), so a crash or a power cut leaves the old
// file or the new one, never half a file. A write keeps every other line of the file as it
// stood: other keys and sections, comments, blank lines and the letter case of names.
//
// A missing file, section or key reads as absent. Only a plain file of at most kMaxFileBytes
// is read: anything else reads as empty and is never replaced (a write fails), like a file
// that cannot be read. A file that is not an INI file at all
// reads as empty and stays as it is until a key is written; its lines are then kept and the
// section added. A file that exists but cannot be read is never replaced: the write fails.
// Line ends: CR LF and LF files both read; a rewrite keeps each line's own end and gives new
// lines the file's first line end (LF in a new file). A value's line breaks are written as
// blanks. Names must be non-empty without surrounding blanks or line breaks, keys without
// "=" and not starting with ";", "#" or "[", sections without "]" (std::invalid_argument
// otherwise: a program error).

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// An integer as the file writes it: optional blanks, then decimal with an optional sign, or,
// for a text longer than two characters starting with "0x"/"0X", up to 32 bits of
// hexadecimal ("0x1E" is 30, "0xFFFFFFFF" is -1). Anything else is empty.
std::optional<int> ParseIniInteger(std::string_view text);

// A write the system refused; the text is "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
  public:
    IniWriteError(const std::string& path, int system_error);
    int SystemError() const { return system_error_; }

  private:
    int system_error_;
};

struct IniEntry {
    std::string section;
    std::string key;
    std::string value;
};

class IniFile {
  public:
    static constexpr std::size_t kMaxValueLength = 2047;
    // A configuration is a few kilobytes; more is not one, and every read would read it all.
    static constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;

    explicit IniFile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // The value as it stands after "=" (surrounding blanks removed), at most kMaxValueLength
    // bytes (never cut inside a UTF-8 character); absent when the file, section or key is.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // Decimal; a value longer than two characters that starts with "0x" or "0X" is
    // hexadecimal. A value that does not parse gives the fallback.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
    // An integer, true when not 0.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
    // The key names of a section, in file order.
    std::vector<std::string> ReadSectionKeys(std::string_view section) const;
    bool SectionExists(std::string_view section) const;

    // Each write replaces the file once; throws IniWriteError when the system refuses it.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // Several keys in one replacement of the file: all of them or none.
    void WriteEntries(const std::vector<IniEntry>& entries);
    void EraseSection(std::string_view section);

  private:
    std::string path_;
};

}  // namespace platform
