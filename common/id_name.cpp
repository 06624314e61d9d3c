#include "common/id_name.h"

#include <algorithm>

namespace text {

namespace {

// The Latin spelling of а..я (U+0430..U+044F).
constexpr const char* kRussianLetters[32] = {
    "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "",  "y", "",  "e", "yu", "ya"};

}  // namespace

std::string IdName(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '_' || c == '-') {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        std::size_t length = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        length = std::min(length, name.size() - i);
        char32_t code = 0;
        if (length == 2) code = ((c & 0x1F) << 6) | (name[i + 1] & 0x3F);
        bool upper = false;
        if (code == 0x401) code = 0x415;  // Ё spelt as Е
        if (code == 0x451) code = 0x435;  // ё as е
        if (code >= 0x410 && code <= 0x42F) code += 0x20, upper = true;
        if (code >= 0x430 && code <= 0x44F) {
            std::string latin = kRussianLetters[code - 0x430];
            if (upper && !latin.empty()) latin[0] = static_cast<char>(latin[0] - 'a' + 'A');
            out += latin;
        } else {
            out.push_back('_');
        }
        i += length;
    }
    return out.empty() ? "incubator" : out;
}

}  // namespace text
