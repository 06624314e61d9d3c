#pragma once
// What a write of one key must and must not do to an INI document, shared by the document and
// the file targets.

#include <string>
#include <string_view>

#include "platform/ini_document.h"

namespace ini_check {

// One write: the text of the file before, then section, key and value.
struct Write {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

// Input: DOCUMENT [ NUL section NUL key NUL value ]; the parts left out take a key of the
// configuration file.
void SplitInput(std::string_view input, std::string_view& document, Write& write);

// Whether Set must take these names: non-empty, no surrounding blanks or line breaks, no "="
// in the key and no "]" in the section, and a key line that cannot be taken for a comment or
// a section header.
bool NamesAccepted(std::string_view section, std::string_view key);

// The value as it reads back: line breaks as blanks, surrounding blanks gone.
std::string ValueReadBack(std::string_view value);

// `after` is `before` with the one key written: the key reads back its value, every line
// of `before` is still there with its line end (a last line may gain one), the new lines are
// only the key's line and possibly its section's header after a blank line, and every other
// key of every section reads as before.
void CheckWrite(std::string_view before, const platform::IniDocument& after, const Write& write);

}  // namespace ini_check
