#include "testing/sim_log.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>

namespace e2e {

namespace {

std::string_view NextWord(std::string_view& rest) {
    const std::size_t begin = rest.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(begin);
    const std::size_t end = std::min(rest.find(' '), rest.size());
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

bool ParseCount(std::string_view word, long long& value) {
    const auto r = std::from_chars(word.data(), word.data() + word.size(), value);
    return !word.empty() && r.ec == std::errc() && r.ptr == word.data() + word.size() && value >= 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseHex(std::string_view word, std::vector<std::uint8_t>& bytes) {
    if (word.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < word.size(); i += 2) {
        const int hi = HexDigit(word[i]), lo = HexDigit(word[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return true;
}

bool ParseLine(std::string_view line, SentPacket& p) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!ParseCount(NextWord(line), p.number) || !ParseCount(NextWord(line), p.write)) return false;
    const std::string_view status = NextWord(line);
    const std::string_view hex = NextWord(line);
    if (!NextWord(line).empty()) return false;
    if (status == "lost") {
        p.status = SentStatus::Lost;
        return hex.empty();
    }
    if (status == "ok")
        p.status = SentStatus::Ok;
    else if (status == "bad-checksum")
        p.status = SentStatus::BadChecksum;
    else if (status == "dropped")
        p.status = SentStatus::Dropped;
    else
        return false;
    return ParseHex(hex, p.wire);
}

}  // namespace

std::vector<SentPacket> ParseSimLog(std::string_view text) {
    std::vector<SentPacket> packets;
    std::size_t number = 0;
    while (true) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) break;
        ++number;
        SentPacket p;
        if (!ParseLine(text.substr(0, end), p))
            throw std::runtime_error("simulator log line " + std::to_string(number) +
                                     " is malformed: " + std::string(text.substr(0, end)));
        packets.push_back(std::move(p));
        text.remove_prefix(end + 1);
    }
    return packets;
}

}  // namespace e2e
