#include "platform/posix/desktop_entry.h"

namespace platform {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

bool QuotedNeedsEscape(char c) {
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

// Undoes the escapes of a string value. A backslash before any other character is kept with
// it, so that entries written with one backslash before a quoted character still read.
std::string UnescapeString(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[++i];
        switch (next) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += next;
        }
    }
    return out;
}

}  // namespace

std::string DesktopExecValue(std::string_view program) {
    // Quoting rule first: inside double quotes these four take a backslash.
    std::string quoted = "\"";
    for (const char c : program) {
        if (QuotedNeedsEscape(c)) quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += '"';
    // Then the string rule, which readers undo first: backslashes and control characters.
    std::string value;
    value.reserve(quoted.size());
    for (const char c : quoted) {
        switch (c) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
}

std::optional<std::vector<std::string>> ParseDesktopExec(std::string_view value) {
    const std::string text = UnescapeString(value);
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (true) {
        while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
        if (i == n) break;
        std::string arg;
        if (text[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                const char c = text[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\') {
                    if (i == n || !QuotedNeedsEscape(text[i])) return std::nullopt;
                    arg += text[i++];
                } else if (c == '%') {
                    if (i == n || text[i] != '%') return std::nullopt;
                    arg += text[i++];
                } else {
                    arg += c;
                }
            }
            if (!closed) return std::nullopt;
            if (i < n && text[i] != ' ' && text[i] != '\t' && text[i] != '\n') return std::nullopt;
        } else {
            while (i < n && text[i] != ' ' && text[i] != '\t' && text[i] != '\n') {
                const char c = text[i++];
                if (c == '%') {
                    if (i == n || text[i] != '%') return std::nullopt;
                    ++i;
                } else if (c == '"' || c == '\\' || c == '`' || c == '$' || c == '\'') {
                    // Reserved outside quotes.
                    return std::nullopt;
                }
                arg += c;
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::map<std::string, std::string> ReadDesktopEntryGroup(std::string_view text) {
    std::map<std::string, std::string> keys;
    bool in_group = false;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == '#') continue;
        if (trimmed.front() == '[') {
            in_group = trimmed == "[Desktop Entry]";
            continue;
        }
        if (!in_group) continue;
        const std::size_t eq = trimmed.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = Trim(trimmed.substr(0, eq));
        if (key.empty() || key.find('[') != std::string_view::npos) continue;
        keys.emplace(std::string(key), std::string(Trim(trimmed.substr(eq + 1))));
    }
    return keys;
}

}  // namespace platform
