#include "platform/ini_document.h"

#include <algorithm>
#include <stdexcept>

#include "common/text_parse.h"

namespace platform {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// `bad_first`: characters a name cannot start with, since its line would read as something
// else (a key line starting with ";", "#" or "[" is a comment or a section header).
void CheckName(std::string_view name, std::string_view forbidden, std::string_view bad_first) {
    const bool bad = name.empty() || IsBlank(name.front()) || IsBlank(name.back()) ||
                     bad_first.find(name.front()) != std::string_view::npos ||
                     name.find_first_of(forbidden) != std::string_view::npos ||
                     name.find_first_of("\r\n") != std::string_view::npos;
    if (bad) throw std::invalid_argument("invalid INI name: " + std::string(name));
}

}  // namespace

IniDocument::Line IniDocument::Classify(std::string text, std::string end) {
    Line line;
    line.text = std::move(text);
    line.end = std::move(end);
    const std::string_view trimmed = text::Trim(line.text);
    if (trimmed.empty()) {
        line.kind = Kind::kBlank;
    } else if (trimmed.front() == ';' || trimmed.front() == '#') {
        line.kind = Kind::kComment;
    } else if (trimmed.front() == '[' && trimmed.find(']') != std::string_view::npos) {
        line.kind = Kind::kSection;
        line.name = std::string(text::Trim(trimmed.substr(1, trimmed.find(']') - 1)));
    } else if (const auto eq = line.text.find('='); eq != std::string::npos) {
        const std::string_view name = text::Trim(std::string_view(line.text).substr(0, eq));
        if (!name.empty()) {
            line.kind = Kind::kKey;
            line.name = std::string(name);
            std::size_t v = eq + 1;
            while (v < line.text.size() && IsBlank(line.text[v])) ++v;
            line.value_begin = v;
        }
    }
    return line;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
    IniDocument doc;
    if (bytes.starts_with(kBom)) {
        doc.bom_ = kBom;
        bytes.remove_prefix(kBom.size());
    }
    bool style_known = false;
    while (!bytes.empty()) {
        const auto nl = bytes.find('\n');
        std::string_view text = bytes.substr(0, nl);
        std::string end;
        if (nl == std::string_view::npos) {
            bytes = {};
        } else {
            bytes.remove_prefix(nl + 1);
            end = "\n";
            if (text.ends_with('\r')) {
                text.remove_suffix(1);
                end = "\r\n";
            }
            if (!style_known) doc.line_end_ = end;
            style_known = true;
        }
        doc.lines_.push_back(Classify(std::string(text), std::move(end)));
    }
    return doc;
}

std::string IniDocument::Text() const {
    std::string out = bom_;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.end;
    }
    return out;
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::kSection && text::SameIgnoringCase(lines_[i].name, section)) return i;
    }
    return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::kSection) ++i;
    return i;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section,
                                                  std::string_view key) const {
    const auto header = FindSection(section);
    if (!header) return std::nullopt;
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::kKey && text::SameIgnoringCase(line.name, key)) {
            return text::Trim(std::string_view(line.text).substr(line.value_begin));
        }
    }
    return std::nullopt;
}

std::vector<std::string> IniDocument::SectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    const auto header = FindSection(section);
    if (!header) return keys;
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::kKey) keys.push_back(lines_[i].name);
    }
    return keys;
}

bool IniDocument::HasSection(std::string_view section) const {
    return FindSection(section).has_value();
}

void IniDocument::Insert(std::size_t at, std::string text) {
    // A last line without a line end gets one before anything follows it.
    if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = line_end_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  Classify(std::move(text), line_end_));
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    CheckName(section, "]", "");
    CheckName(key, "=", ";#[");
    std::string clean(value);
    std::replace_if(
        clean.begin(), clean.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    const std::string key_line = std::string(key) + "=" + clean;

    const auto header = FindSection(section);
    if (!header) {
        if (!lines_.empty() && lines_.back().kind != Kind::kBlank) Insert(lines_.size(), "");
        Insert(lines_.size(), "[" + std::string(section) + "]");
        Insert(lines_.size(), key_line);
        return;
    }
    const std::size_t end = SectionEnd(*header);
    std::size_t after_last_key = *header + 1;
    for (std::size_t i = *header + 1; i < end; ++i) {
        Line& line = lines_[i];
        if (line.kind != Kind::kKey) continue;
        if (text::SameIgnoringCase(line.name, key)) {
            line.text = line.text.substr(0, line.value_begin) + clean;
            return;
        }
        after_last_key = i + 1;
    }
    Insert(after_last_key, key_line);
}

bool IniDocument::EraseSection(std::string_view section) {
    bool erased = false;
    while (const auto header = FindSection(section)) {
        const std::size_t end = SectionEnd(*header);
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(end));
        erased = true;
    }
    return erased;
}

}  // namespace platform
