// The configuration file on disk: any file reads without failure, a key written into it reads
// back with every other line kept, no temporary file stays behind, and a file that cannot be
// replaced is left alone.
//
// Input: a mode byte, a 32-bit integer, then DOCUMENT [ NUL section NUL key NUL value ].
//   mode bit 0: there is no file yet; bit 1: a folder stands where the file should be.
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "fuzz/fuzz_input.h"
#include "fuzz/ini_check.h"
#include "platform/ini_document.h"
#include "platform/ini_file.h"
#include "testing/temp_folder.h"

namespace {

const TempFolder& Folder() {
    static const TempFolder folder;
    return folder;
}

std::string Hex(std::uint32_t v) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string s;
    do {
        s.insert(s.begin(), kDigits[v & 15]);
        v >>= 4;
    } while (v != 0);
    return "0x" + s;
}

// Reads never fail and give what the text holds, cut to the longest value a reader takes.
void CheckReads(const platform::IniFile& ini, const platform::IniDocument& doc,
                const ini_check::Write& w) {
    const auto expected = doc.Find(w.section, w.key);
    const auto value = ini.Read(w.section, w.key);
    FUZZ_CHECK(value.has_value() == expected.has_value());
    if (!value) return;
    FUZZ_CHECK(expected->starts_with(*value));
    FUZZ_CHECK(value->size() <= platform::IniFile::kMaxValueLength);
    if (value->size() < expected->size())
        FUZZ_CHECK(value->size() + 3 >= platform::IniFile::kMaxValueLength);
    const auto number = platform::ParseIniInteger(*value);
    FUZZ_CHECK(ini.ReadInteger(w.section, w.key, 12345) == number.value_or(12345));
    FUZZ_CHECK(ini.ReadBool(w.section, w.key, true) == (number ? *number != 0 : true));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t mode = in.Byte();
    const std::uint16_t low = in.Word();
    const auto number =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(in.Word()) << 16 | low);
    std::string_view document;
    ini_check::Write write;
    ini_check::SplitInput(in.Text(in.Remaining()), document, write);
    const bool missing = (mode & 1) != 0, folder_in_the_way = (mode & 2) != 0;
    if (missing || folder_in_the_way) document = {};

    const std::string path = Folder().File("incubator-monitor.ini");
    std::filesystem::remove_all(path);
    if (folder_in_the_way)
        std::filesystem::create_directory(path);
    else if (!missing)
        Spit(path, std::string(document));
    platform::IniFile ini(path);
    const platform::IniDocument before = platform::IniDocument::Parse(document);
    CheckReads(ini, before, write);

    platform::IniDocument expected = before;
    bool written = false;
    try {
        ini.WriteString(write.section, write.key, write.value);
        FUZZ_CHECK(!folder_in_the_way);
        written = true;
    } catch (const std::invalid_argument&) {
        FUZZ_CHECK(!ini_check::NamesAccepted(write.section, write.key));
    } catch (const platform::IniWriteError& e) {
        FUZZ_CHECK(folder_in_the_way && std::string(e.what()) == "Unable to write to " + path);
    }
    // Nothing else in the folder: no temporary file stays behind.
    const bool file_there = folder_in_the_way || !missing || written;
    FUZZ_CHECK(Folder().Names() == (file_there ? std::vector<std::string>{"incubator-monitor.ini"}
                                               : std::vector<std::string>{}));
    if (folder_in_the_way) {
        FUZZ_CHECK(std::filesystem::is_directory(path));
        FUZZ_CHECK(!ini.Read(write.section, write.key));
        return 0;
    }
    if (!written) {
        FUZZ_CHECK(Slurp(path) == document);
        return 0;
    }
    expected.Set(write.section, write.key, write.value);
    const std::string text = Slurp(path);
    FUZZ_CHECK(text == expected.Text());
    const platform::IniDocument after = platform::IniDocument::Parse(text);
    ini_check::CheckWrite(document, after, write);
    CheckReads(ini, after, write);

    // Integers come back whatever their value, and read in hexadecimal too.
    ini.WriteInteger(write.section, write.key, number);
    FUZZ_CHECK(ini.ReadInteger(write.section, write.key, number ^ 1) == number);
    FUZZ_CHECK(platform::ParseIniInteger(Hex(static_cast<std::uint32_t>(number))) == number);
    ini.WriteBool(write.section, write.key, number & 1);
    FUZZ_CHECK(ini.ReadBool(write.section, write.key, !(number & 1)) == ((number & 1) != 0));
    return 0;
}
