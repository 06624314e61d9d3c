#include "engine/statistics/journal_records.h"

#include <array>
#include <charconv>

namespace statistics::journal {

namespace {

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
    AppendHex(record, Crc32(RecordCrcStart(generation, kind), payload), 8);
    record += '\n';
    return record;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes) {
    crc = ~crc;
    for (const char c : bytes)
        crc = kCrcTable[(crc ^ static_cast<unsigned char>(c)) & 0xFF] ^ crc >> 8;
    return ~crc;
}

std::uint32_t RecordCrcStart(std::uint64_t generation, char kind) {
    char prefix[9];
    for (int i = 0; i < 8; ++i) prefix[i] = static_cast<char>(generation >> (8 * i) & 0xFF);
    prefix[8] = kind;
    return Crc32(0, {prefix, sizeof prefix});
}

std::string HeaderRecord(std::uint64_t generation) {
    std::string payload(kMagicStem);
    payload += "2 ";
    AppendHex(payload, generation, 16);
    return MakeRecord(0, 'J', payload);
}

std::string LinesRecord(std::uint64_t generation, std::string_view bytes) {
    return MakeRecord(generation, 'L', bytes);
}

std::string WriteRecord(std::uint64_t generation, std::uint64_t from, std::uint64_t size,
                        std::string_view name) {
    std::string payload;
    AppendNumber(payload, from);
    payload += ' ';
    AppendNumber(payload, size);
    payload += ' ';
    payload += name;
    return MakeRecord(generation, 'W', payload);
}

std::string DoneRecord(std::uint64_t generation, std::uint64_t to) {
    std::string payload;
    AppendNumber(payload, to);
    return MakeRecord(generation, 'D', payload);
}

}  // namespace statistics::journal
