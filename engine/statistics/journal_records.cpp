#include "engine/statistics/journal_records.h"

#include <array>
#include <charconv>

namespace statistics::journal {

namespace {

constexpr std::string_view kMagic = "incubator-monitor journal 1 ";

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint32_t RecordCrc(std::uint64_t generation, char kind, std::string_view payload) {
    char prefix[9];
    for (int i = 0; i < 8; ++i) prefix[i] = static_cast<char>(generation >> (8 * i) & 0xFF);
    prefix[8] = kind;
    return Crc32(Crc32(0, {prefix, sizeof prefix}), payload);
}

void AppendNumber(std::string& out, std::uint64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void AppendHex(std::string& out, std::uint64_t value, int digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[value >> shift & 0xF];
}

std::string MakeRecord(std::uint64_t generation, char kind, std::string_view payload) {
    std::string record;
    record.reserve(payload.size() + 24);
    record += kind;
    record += ' ';
    AppendNumber(record, payload.size());
    record += ' ';
    record += payload;
    record += ' ';
    AppendHex(record, RecordCrc(generation, kind, payload), 8);
    record += '\n';
    return record;
}

// Reads an unsigned decimal number that fills `text`.
std::optional<std::uint64_t> Number(std::string_view text) {
    std::uint64_t value = 0;
    if (text.empty() || text.size() > 19) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> Hex(std::string_view text) {
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<unsigned>(digit);
    }
    return value;
}

struct Record {
    char kind = 0;
    std::string_view payload;
    std::size_t length = 0;  // of the whole record
};

// The record at the start of `rest`, when it is whole and its checksum holds.
std::optional<Record> NextRecord(std::string_view rest, std::uint64_t generation) {
    if (rest.size() < 2 || rest[1] != ' ') return std::nullopt;
    const std::size_t blank = rest.find(' ', 2);
    if (blank == std::string_view::npos || blank > 12) return std::nullopt;
    const auto length = Number(rest.substr(2, blank - 2));
    if (!length || *length > rest.size()) return std::nullopt;
    const std::size_t payload_at = blank + 1;
    const std::size_t end = payload_at + static_cast<std::size_t>(*length) + 10;
    if (end > rest.size() || rest[end - 10] != ' ' || rest[end - 1] != '\n') return std::nullopt;
    Record record{rest[0], rest.substr(payload_at, static_cast<std::size_t>(*length)), end};
    const auto crc = Hex(rest.substr(end - 9, 8));
    if (!crc || *crc != RecordCrc(generation, record.kind, record.payload)) return std::nullopt;
    return record;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes) {
    crc = ~crc;
    for (const char c : bytes)
        crc = kCrcTable[(crc ^ static_cast<unsigned char>(c)) & 0xFF] ^ crc >> 8;
    return ~crc;
}

std::string HeaderRecord(std::uint64_t generation) {
    std::string payload(kMagic);
    AppendHex(payload, generation, 16);
    return MakeRecord(0, 'J', payload);
}

std::string LinesRecord(std::uint64_t generation, std::string_view bytes) {
    return MakeRecord(generation, 'L', bytes);
}

std::string WriteRecord(std::uint64_t generation, std::uint64_t from, std::uint64_t size,
                        std::string_view path) {
    std::string payload;
    AppendNumber(payload, from);
    payload += ' ';
    AppendNumber(payload, size);
    payload += ' ';
    payload += path;
    return MakeRecord(generation, 'W', payload);
}

std::string DoneRecord(std::uint64_t generation, std::uint64_t to) {
    std::string payload;
    AppendNumber(payload, to);
    return MakeRecord(generation, 'D', payload);
}

Contents Read(std::string_view bytes) {
    Contents c;
    const auto header = NextRecord(bytes, 0);
    if (!header || header->kind != 'J' || !header->payload.starts_with(kMagic)) return c;
    const auto generation = Hex(header->payload.substr(kMagic.size()));
    if (!generation || header->payload.size() != kMagic.size() + 16) return c;
    c.has_header = true;
    c.generation = *generation;
    c.whole_length = header->length;

    // Each record must also make sense where it stands; one that does not ends the reading
    // as a damaged one does.
    while (const auto record = NextRecord(bytes.substr(c.whole_length), c.generation)) {
        const std::string_view p = record->payload;
        if (record->kind == 'L') {
            c.lines += p;
        } else if (record->kind == 'W') {
            const std::size_t first = p.find(' ');
            const std::size_t second =
                first == std::string_view::npos ? first : p.find(' ', first + 1);
            if (second == std::string_view::npos) break;
            const auto from = Number(p.substr(0, first));
            const auto size = Number(p.substr(first + 1, second - first - 1));
            if (!from || !size || *from < c.saved || *from > c.lines.size()) break;
            c.saved = *from;
            c.open_write = OpenWrite{*from, *size, std::string(p.substr(second + 1))};
            c.last_write_path = c.open_write->path;
        } else if (record->kind == 'D') {
            const auto to = Number(p);
            if (!to || *to < c.saved || *to > c.lines.size()) break;
            c.saved = *to;
            c.open_write.reset();
        } else {
            break;
        }
        c.whole_length += record->length;
    }
    return c;
}

}  // namespace statistics::journal
