#pragma once
// The text of an INI file as lines: looked up by section and key, edited in place, and
// written back with every untouched byte as it was (comments, unknown lines, blank lines,
// the letter case of names, each line's own line end, a leading UTF-8 byte order mark).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class IniDocument {
  public:
    // Any bytes: lines that are neither sections nor keys are kept and ignored.
    static IniDocument Parse(std::string_view bytes);
    std::string Text() const;

    // Names match without ASCII letter case; the first matching section and, in it, the
    // first matching key count. Lines before the first section belong to no section.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    std::vector<std::string> SectionKeys(std::string_view section) const;
    bool HasSection(std::string_view section) const;

    // Replaces an existing key's value in place; a new key goes after the last key line of
    // its section, a new section at the end of the document. Line breaks in the value become
    // blanks, so a value never makes lines of its own. Names must be non-empty, without
    // line breaks, surrounding blanks, "=" in a key or "]" in a section, and a key must not
    // start with ";", "#" or "[" (invalid_argument).
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes every section of that name with all its lines; false when there was none.
    bool EraseSection(std::string_view section);

  private:
    enum class Kind { kOther, kBlank, kComment, kSection, kKey };
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n", or "" for a last line without one
        Kind kind = Kind::kOther;
        std::string name;             // section or key name, blanks removed
        std::size_t value_begin = 0;  // key lines: where the value starts in `text`
    };

    static Line Classify(std::string text, std::string end);
    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::size_t SectionEnd(std::size_t header) const;  // index of the next header or the end
    void Insert(std::size_t at, std::string text);

    std::string bom_;
    std::vector<Line> lines_;
    std::string line_end_ = "\n";  // the style of new lines: the file's first line end
};

}  // namespace platform
