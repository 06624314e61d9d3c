// The INI document in memory: any bytes parse and come back unchanged, and a key written into
// them reads back while everything else in the file stays as it was.
//
// Input: DOCUMENT [ NUL section NUL key NUL value ].
#include <cstdint>
#include <stdexcept>
#include <string>

#include "fuzz/fuzz_input.h"
#include "fuzz/ini_check.h"
#include "platform/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view document;
    ini_check::Write write;
    ini_check::SplitInput({reinterpret_cast<const char*>(data), size}, document, write);

    platform::IniDocument doc = platform::IniDocument::Parse(document);
    FUZZ_CHECK(doc.Text() == document);
    try {
        doc.Set(write.section, write.key, write.value);
    } catch (const std::invalid_argument&) {
        FUZZ_CHECK(!ini_check::NamesAccepted(write.section, write.key));
        FUZZ_CHECK(doc.Text() == document);
        return 0;
    }
    FUZZ_CHECK(ini_check::NamesAccepted(write.section, write.key));
    ini_check::CheckWrite(document, doc, write);

    // Written text parses to the same document.
    const std::string text = doc.Text();
    FUZZ_CHECK(platform::IniDocument::Parse(text).Text() == text);
    if (doc.EraseSection(write.section)) FUZZ_CHECK(!doc.HasSection(write.section));
    return 0;
}
