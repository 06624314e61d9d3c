#include "fuzz/ini_check.h"

#include <algorithm>
#include <vector>

#include "common/text_parse.h"
#include "fuzz/fuzz_input.h"

namespace ini_check {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct Line {
    std::string_view body;  // without trailing CRs: a last line's CR joins the end it gains
    std::string_view end;   // "\n", "\r\n" or "" for a last line without one
};

std::vector<Line> Lines(std::string_view text) {
    if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
    std::vector<Line> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view body = text.substr(0, nl);
        while (body.ends_with('\r')) body.remove_suffix(1);
        if (nl == std::string_view::npos) {
            lines.push_back({body, {}});
            break;
        }
        const bool cr = text[nl - (nl > 0 ? 1 : 0)] == '\r';
        lines.push_back({body, cr ? "\r\n" : "\n"});
        text.remove_prefix(nl + 1);
    }
    return lines;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool ValidName(std::string_view name, char forbidden) {
    return !name.empty() && !IsBlank(name.front()) && !IsBlank(name.back()) &&
           name.find(forbidden) == std::string_view::npos &&
           name.find_first_of("\r\n") == std::string_view::npos;
}

void AddName(std::vector<std::string_view>& names, std::string_view name, std::size_t limit) {
    if (name.empty() || names.size() >= limit) return;
    for (std::string_view n : names)
        if (text::SameIgnoringCase(n, name)) return;
    names.push_back(name);
}

// The section and key names a reader could look for in these lines.
void Names(const std::vector<Line>& lines, std::vector<std::string_view>& sections,
           std::vector<std::string_view>& keys) {
    for (const Line& line : lines) {
        const std::string_view t = text::Trim(line.body);
        if (t.starts_with('[') && t.find(']') != std::string_view::npos)
            AddName(sections, text::Trim(t.substr(1, t.find(']') - 1)), 8);
        if (const auto eq = line.body.find('='); eq != std::string_view::npos)
            AddName(keys, text::Trim(line.body.substr(0, eq)), 24);
    }
}

std::string Clean(std::string_view value) {
    std::string clean(value);
    std::replace_if(
        clean.begin(), clean.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return clean;
}

}  // namespace

void SplitInput(std::string_view input, std::string_view& document, Write& write) {
    write = {"Form", "Top", "100"};
    const auto part = [&input]() {
        const auto nul = input.find('\0');
        const std::string_view head = input.substr(0, nul);
        input = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
        return head;
    };
    const bool has_write = input.find('\0') != std::string_view::npos;
    document = part();
    if (!has_write) return;
    write.section = part();
    if (input.empty()) return;
    write.key = part();
    write.value = input;
}

bool NamesAccepted(std::string_view section, std::string_view key) {
    return ValidName(section, ']') && ValidName(key, '=') &&
           std::string_view(";#[").find(key.front()) == std::string_view::npos;
}

std::string ValueReadBack(std::string_view value) {
    return std::string(text::Trim(Clean(value)));
}

void CheckWrite(std::string_view before_text, const platform::IniDocument& after, const Write& w) {
    const platform::IniDocument before = platform::IniDocument::Parse(before_text);
    const std::string after_text = after.Text();
    FUZZ_CHECK(before_text.starts_with(kBom) == std::string_view(after_text).starts_with(kBom));

    const auto value = after.Find(w.section, w.key);
    FUZZ_CHECK(value && *value == ValueReadBack(w.value));

    const std::vector<Line> b = Lines(before_text);
    const std::vector<Line> a = Lines(after_text);
    std::size_t p = 0, s = 0;
    while (p < b.size() && p < a.size() && b[p].body == a[p].body) ++p;
    while (s < b.size() - p && s < a.size() - p &&
           b[b.size() - 1 - s].body == a[a.size() - 1 - s].body)
        ++s;
    const std::size_t removed = b.size() - p - s, added = a.size() - p - s;

    const std::string key_line = std::string(w.key) + "=" + Clean(w.value);
    if (removed == 1) {
        // The key's own line, its value replaced in place.
        FUZZ_CHECK(added == 1);
        const std::size_t eq = b[p].body.find('=');
        FUZZ_CHECK(eq != std::string_view::npos &&
                   text::SameIgnoringCase(text::Trim(b[p].body.substr(0, eq)), w.key));
        FUZZ_CHECK(a[p].body.substr(0, eq + 1) == b[p].body.substr(0, eq + 1));
        FUZZ_CHECK(a[p].end == b[p].end);
    } else {
        FUZZ_CHECK(removed == 0 && added <= 3);
        if (added > 0) FUZZ_CHECK(a[p + added - 1].body == key_line);
        if (added >= 2) {
            FUZZ_CHECK(!before.HasSection(w.section));
            FUZZ_CHECK(a[p + added - 2].body == "[" + std::string(w.section) + "]");
        }
        if (added == 3) FUZZ_CHECK(a[p].body.empty());
        for (std::size_t i = p; i < p + added; ++i) FUZZ_CHECK(!a[i].end.empty());
    }
    for (std::size_t i = 0; i < p; ++i) {
        const bool gained_end = b[i].end.empty() && i + 1 == b.size() && added > 0;
        FUZZ_CHECK(a[i].end == b[i].end || gained_end);
    }
    for (std::size_t i = 1; i <= s; ++i) FUZZ_CHECK(a[a.size() - i].end == b[b.size() - i].end);

    // Every other key reads as before, and the written section lists one new key at most.
    std::vector<std::string_view> sections, keys;
    AddName(sections, w.section, 8);
    Names(b, sections, keys);
    for (std::string_view section : sections) {
        const bool written = text::SameIgnoringCase(section, w.section);
        for (std::string_view key : keys) {
            if (written && text::SameIgnoringCase(key, w.key)) continue;
            FUZZ_CHECK(before.Find(section, key) == after.Find(section, key));
        }
        std::vector<std::string> old_keys = before.SectionKeys(section);
        std::vector<std::string> new_keys = after.SectionKeys(section);
        if (written && new_keys.size() == old_keys.size() + 1) {
            const auto it = std::find(new_keys.begin(), new_keys.end(), std::string(w.key));
            FUZZ_CHECK(it != new_keys.end());
            new_keys.erase(it);
        }
        FUZZ_CHECK(new_keys == old_keys);
    }
}

}  // namespace ini_check
